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
}

void ResponseChartView::setSeries(std::optional<ChartSeries> series)
{
    series_ = std::move(series);
    update();
}

std::vector<ReportItem> ResponseChartView::items() const
{
    if (!series_)
        return {};
    QFont font(QString::fromLatin1(ReportFontName));
    font.setPointSize(ChartPointSize);
    const int lineHeight = QFontMetrics(font, this).height();
    return layoutResponseChart(*series_, ChartBox{0, 0, width(), height(), lineHeight, ChartPointSize}, format_);
}

void ResponseChartView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    paintItems(painter, items());
}

}  // namespace trophex::ui
