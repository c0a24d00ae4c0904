#include "ui/tsichartfigure.h"

#include "model/ecoregion.h"
#include "print/reportlayout.h"
#include "ui/mainform.h"
#include "ui/tsichart.h"
#include "ui/widgets.h"

#include <QPainter>

namespace trophex::ui {

namespace {

constexpr int Margin = 4;  // pixels of white around the page's contents

const char* const IndexBoxes[] = {"AvgTSIeditBox", "PhosTSIeditBox", "ChlrATSIeditBox", "SecchiTSIeditBox"};

}  // namespace

QRect TsiChartFigure::pageArea() const
{
    const QWidget* page = mainForm_.PaintBox1().parentWidget();
    QRect area;
    for (const QWidget* child : page->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        area |= child->geometry();
    return area.adjusted(-Margin, -Margin, Margin, Margin);
}

QSize TsiChartFigure::figureSize() const
{
    return pageArea().size();
}

QString TsiChartFigure::figureTitle() const
{
    return QStringLiteral("Carlson's Trophic State Index");
}

QString TsiChartFigure::figureCaption() const
{
    const ReportTexts texts = mainForm_.reportTexts();
    return QStringLiteral("%1, %2 ecoregion")
        .arg(lakeNamed(texts.NameEditBox, true), QString::fromStdString(texts.EcoRegComboBox));
}

void TsiChartFigure::paintFigure(QPainter& painter, int scale) const
{
    TsiChart& chart = mainForm_.PaintBox1();
    QWidget* page = chart.parentWidget();
    painter.save();
    painter.scale(scale, scale);
    painter.translate(-pageArea().topLeft());
    for (QWidget* child : page->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (child != &chart)
            child->render(&painter, child->pos(), QRegion(), QWidget::DrawChildren);

    std::array<std::optional<int>, 4> values;
    for (int row = 0; row < 4; ++row)
        values[row] = readIndexBox(mainForm_.controlText(QString::fromLatin1(IndexBoxes[row])).toStdString());
    painter.translate(chart.pos());
    painter.setClipRect(chart.rect());
    drawTsiChart(painter, ecoregionTsiRanges(mainForm_.ecoregionText().toStdString(), RangeUse::Chart), values);
    painter.restore();
}

}  // namespace trophex::ui
