#include "ui/trendwindow.h"

#include "ui/chartexport.h"

#include <QLabel>
#include <QMenuBar>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace trophex::ui {

namespace {

constexpr int FigureWidth = 720;
constexpr int FigureHeight = 420;
constexpr int LeftMargin = 56;
constexpr int RightMargin = 140;  // the legend
constexpr int TopMargin = 40;
constexpr int BottomMargin = 44;

QColor indexColor(samples::TrendIndex index)
{
    switch (index) {
    case samples::TrendIndex::Phosphorus:
        return QColor(200, 40, 40);
    case samples::TrendIndex::Chlorophyll:
        return QColor(30, 140, 50);
    case samples::TrendIndex::Secchi:
        return QColor(30, 80, 200);
    case samples::TrendIndex::Average:
        break;
    }
    return Qt::black;
}

// The years and index values the chart spans, the values widened to whole tens.
struct Extent {
    double firstYear = 0;
    double lastYear = 1;
    double low = 0;
    double high = 100;
};

Extent extentOf(const LakeTrends& lake)
{
    Extent extent{1e9, -1e9, 1e9, -1e9};
    for (const samples::Trend& trend : lake.trends) {
        extent.firstYear = std::min(extent.firstYear, trend.years.front());
        extent.lastYear = std::max(extent.lastYear, trend.years.back());
        for (double value : trend.values) {
            extent.low = std::min(extent.low, value);
            extent.high = std::max(extent.high, value);
        }
    }
    extent.low = std::floor(extent.low / 10) * 10;
    extent.high = std::max(extent.low + 10, std::ceil(extent.high / 10) * 10);
    extent.firstYear -= 0.5;
    extent.lastYear += 0.5;
    return extent;
}

class TrendFigure : public ChartFigure {
public:
    explicit TrendFigure(std::shared_ptr<const LakeTrends> lake) : lake_(std::move(lake)) {}

    QSize figureSize() const override { return {FigureWidth, FigureHeight}; }
    QString figureTitle() const override { return QObject::tr("Trophic state of %1").arg(lake_->lakeName); }
    QString figureCaption() const override { return lake_->lakeName; }

    // The chart is laid out at the window's size; a larger picture scales the drawing, so
    // that text and lines keep their proportions.
    void paintFigure(QPainter& painter, int scale) const override
    {
        painter.scale(scale, scale);
        painter.fillRect(QRect(QPoint(0, 0), figureSize()), Qt::white);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::black);
        painter.drawText(QRect(0, 8, FigureWidth, 24), Qt::AlignHCenter, figureTitle());
        if (lake_->trends.empty()) {
            painter.drawText(QRect(QPoint(0, 0), figureSize()), Qt::AlignCenter,
                             QObject::tr("No index: the lake-years lack positive means"));
            return;
        }
        const Extent extent = extentOf(*lake_);
        drawAxes(painter, extent);
        for (const samples::Trend& trend : lake_->trends)
            drawTrend(painter, extent, trend);
        drawLegend(painter);
    }

private:
    static QRectF plotArea()
    {
        return QRectF(LeftMargin, TopMargin, FigureWidth - LeftMargin - RightMargin,
                      FigureHeight - TopMargin - BottomMargin);
    }

    static QPointF at(const Extent& extent, double year, double value)
    {
        const QRectF area = plotArea();
        return {area.left() + (year - extent.firstYear) / (extent.lastYear - extent.firstYear) * area.width(),
                area.bottom() - (value - extent.low) / (extent.high - extent.low) * area.height()};
    }

    static void drawAxes(QPainter& painter, const Extent& extent)
    {
        const QRectF area = plotArea();
        painter.setPen(QColor(220, 220, 220));
        for (double value = extent.low; value <= extent.high; value += 10) {
            const double y = at(extent, extent.firstYear, value).y();
            painter.drawLine(QPointF(area.left(), y), QPointF(area.right(), y));
        }
        painter.setPen(Qt::black);
        painter.drawRect(area);
        for (double value = extent.low; value <= extent.high; value += 10) {
            const double y = at(extent, extent.firstYear, value).y();
            painter.drawText(QRectF(0, y - 10, LeftMargin - 6, 20), Qt::AlignRight | Qt::AlignVCenter,
                             QString::number(value));
        }
        const int years = static_cast<int>(extent.lastYear - extent.firstYear);
        const int step = std::max(1, years / 10);
        for (int year = static_cast<int>(std::ceil(extent.firstYear)); year <= extent.lastYear; year += step) {
            const double x = at(extent, year, extent.low).x();
            painter.drawLine(QPointF(x, area.bottom()), QPointF(x, area.bottom() + 4));
            painter.drawText(QRectF(x - 30, area.bottom() + 6, 60, 18), Qt::AlignHCenter, QString::number(year));
        }
        painter.save();
        painter.translate(14, area.center().y());
        painter.rotate(-90);
        painter.drawText(QRectF(-80, -10, 160, 20), Qt::AlignCenter, QObject::tr("Trophic state index"));
        painter.restore();
    }

    static void drawTrend(QPainter& painter, const Extent& extent, const samples::Trend& trend)
    {
        const QColor color = indexColor(trend.index);
        QPainterPath path;
        for (std::size_t i = 0; i < trend.years.size(); ++i) {
            const QPointF point = at(extent, trend.years[i], trend.values[i]);
            if (i == 0)
                path.moveTo(point);
            else
                path.lineTo(point);
        }
        painter.setPen(QPen(color, 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(path);
        painter.setBrush(color);
        for (std::size_t i = 0; i < trend.years.size(); ++i)
            painter.drawEllipse(at(extent, trend.years[i], trend.values[i]), 3, 3);
        if (!trend.slopePerDecade || !trend.intercept)
            return;
        const double slope = *trend.slopePerDecade / 10;
        const double first = trend.years.front();
        const double last = trend.years.back();
        painter.setPen(QPen(color, 2, Qt::DashLine));
        painter.drawLine(at(extent, first, *trend.intercept + slope * first),
                         at(extent, last, *trend.intercept + slope * last));
    }

    void drawLegend(QPainter& painter) const
    {
        int y = TopMargin + 4;
        for (const samples::Trend& trend : lake_->trends) {
            const QColor color = indexColor(trend.index);
            const int x = FigureWidth - RightMargin + 12;
            painter.setPen(QPen(color, 2));
            painter.drawLine(x, y + 8, x + 18, y + 8);
            painter.setPen(Qt::black);
            painter.drawText(QRect(x + 24, y, RightMargin - 36, 18), Qt::AlignVCenter,
                             QString::fromLatin1(samples::trendIndexName(trend.index)));
            y += 22;
        }
        painter.setPen(QPen(Qt::black, 2, Qt::DashLine));
        const int x = FigureWidth - RightMargin + 12;
        painter.drawLine(x, y + 8, x + 18, y + 8);
        painter.setPen(Qt::black);
        painter.drawText(QRect(x + 24, y, RightMargin - 36, 18), Qt::AlignVCenter, QObject::tr("Sen's slope"));
    }

    std::shared_ptr<const LakeTrends> lake_;
};

// The chart on screen: the figure, drawn at its own size.
class TrendChart : public QWidget {
public:
    explicit TrendChart(std::shared_ptr<const LakeTrends> lake) : figure_(std::move(lake))
    {
        setObjectName(QStringLiteral("TrendChart"));
        setFixedSize(figure_.figureSize());
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        figure_.paintFigure(painter, 1);
    }

private:
    TrendFigure figure_;
};

}  // namespace

TrendWindow::TrendWindow(UserDialogs& dialogs, QWidget* parent)
    : QMainWindow(parent), lake_(std::make_shared<LakeTrends>())
{
    setObjectName(QStringLiteral("TrendWindow"));
    setWindowTitle(tr("Trend"));
    auto* client = new QWidget;
    auto* layout = new QVBoxLayout(client);
    heading_ = new QLabel;
    layout->addWidget(heading_);
    chart_ = new TrendChart(lake_);
    layout->addWidget(chart_);
    answer_ = new QLabel;
    answer_->setObjectName(QStringLiteral("TrendAnswer"));
    answer_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    answer_->setWordWrap(true);
    layout->addWidget(answer_);
    setCentralWidget(client);

    QMenu* file = menuBar()->addMenu(tr("&File"));
    auto* exporter = new ChartExporter(dialogs, *this, std::make_unique<TrendFigure>(lake_),
                                       [this] { return !lake_->trends.empty(); });
    exporter->offerIn(*chart_, *file, QStringLiteral("SaveTrendChart1"));
    file->addSeparator();
    QAction* close = file->addAction(tr("&Close"));
    close->setShortcut(QKeySequence::Close);
    connect(close, &QAction::triggered, this, &QWidget::close);
}

void TrendWindow::showLake(const LakeTrends& lake)
{
    *lake_ = lake;
    setWindowTitle(tr("Trend - %1").arg(lake.lakeName));
    heading_->setText(tr("Carlson's indices of %1 by year, with Sen's slope").arg(lake.lakeName));
    answer_->setText(answerText());
    chart_->update();
}

QString TrendWindow::answerText() const
{
    return QString::fromStdString(samples::trendsInWords(lake_->trends));
}

}  // namespace trophex::ui
