#pragma once
// The trophic state chart as a picture: the "TSI" page's chart with its row captions and
// index boxes, its scale and its legend, drawn as turning to the page draws it: the ranges
// of the ecoregion shown and the markers at the values of the index boxes.

#include "ui/chartexport.h"

namespace trophex::ui {

class TMainForm;

class TsiChartFigure : public ChartFigure {
public:
    explicit TsiChartFigure(const TMainForm& mainForm) : mainForm_(mainForm) {}

    QSize figureSize() const override;
    QString figureTitle() const override;
    QString figureCaption() const override;
    void paintFigure(QPainter& painter, int scale) const override;

private:
    // The part of the page that the chart and its captions cover, with a margin.
    QRect pageArea() const;

    const TMainForm& mainForm_;
};

}  // namespace trophex::ui
