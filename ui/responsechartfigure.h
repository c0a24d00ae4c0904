#pragma once
// The load response chart as a picture: the chart of the "Load Response" page as it is
// drawn there, the target's variable against the cut with its band, target and answer, laid
// out anew at the size it is drawn.

#include "ui/chartexport.h"

namespace trophex::ui {

class ResponseChartView;

class ResponseChartFigure : public ChartFigure {
public:
    explicit ResponseChartFigure(const ResponseChartView& chart) : chart_(chart) {}

    QSize figureSize() const override;
    QString figureTitle() const override;
    QString figureCaption() const override;
    void paintFigure(QPainter& painter, int scale) const override;

private:
    const ResponseChartView& chart_;
};

}  // namespace trophex::ui
