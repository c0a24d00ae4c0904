#pragma once
// The load response chart on the "Load Response" page: the layout of print/responsechart
// drawn in the widget with the report's painter, so the window and the printed page show
// the same chart.

#include "arithmetic/numberformat.h"
#include "response/responseresults.h"
#include "print/reportlayout.h"

#include <QWidget>

#include <optional>
#include <vector>

namespace trophex::ui {

class ResponseChartView : public QWidget {
public:
    ResponseChartView(const NumberFormat& format, QWidget* parent);

    // The series to draw; none leaves the chart blank.
    void setSeries(std::optional<ChartSeries> series);
    const std::optional<ChartSeries>& series() const { return series_; }

    // The lake and the target the chart is drawn for, as a saved picture's caption.
    void setCaption(const QString& caption) { caption_ = caption; }
    const QString& caption() const { return caption_; }

    // What the chart draws at its present size, or scale times as large; empty when blank.
    std::vector<ReportItem> items(int scale = 1) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const NumberFormat format_;          // separators of the side's numbers
    std::optional<ChartSeries> series_;  // what is drawn
    QString caption_;                    // whose chart it is
};

}  // namespace trophex::ui
