#include "ui/responsechartview.h"

#include "print/reportpainter.h"
#include "print/responsechart.h"

#include <QFontMetrics>
#include <QPainter>

namespace trophex::ui {

namespace {

constexpr int ChartPointSize = 8;

}  // namespace

ResponseChartView::ResponseChartView(const NumberFormat& format, QWidget* parent) : QWidget(parent), format_(format)
{
    // The painter completes the report's fonts from the widget's: a plain one, so that the
    // chart is not drawn in the page's bold and reads as printed and as saved.
    QFont plain(QString::fromLatin1(ReportFontName));
    plain.setWeight(QFont::Normal);
    setFont(plain);
}

void ResponseChartView::setSeries(std::optional<ChartSeries> series)
{
    series_ = std::move(series);
    update();
}

std::vector<ReportItem> ResponseChartView::items(int scale) const
{
    if (!series_)
        return {};
    QFont font(QString::fromLatin1(ReportFontName));
    font.setPointSize(ChartPointSize);
    const int lineHeight = QFontMetrics(font, this).height();
    return layoutResponseChart(*series_,
                               ChartBox{0, 0, width() * scale, height() * scale, lineHeight * scale,
                                        ChartPointSize * scale},
                               format_);
}

void ResponseChartView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    paintItems(painter, items());
}

}  // namespace trophex::ui
