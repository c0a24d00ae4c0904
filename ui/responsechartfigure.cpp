#include "ui/responsechartfigure.h"

#include "print/reportpainter.h"
#include "ui/responsechartview.h"

#include <QPainter>

namespace trophex::ui {

QSize ResponseChartFigure::figureSize() const
{
    return chart_.size();
}

QString ResponseChartFigure::figureTitle() const
{
    const QString title = QStringLiteral("Load Response");
    if (!chart_.series())
        return title;
    return title + QStringLiteral(": ") + QString::fromStdString(chart_.series()->title);
}

QString ResponseChartFigure::figureCaption() const
{
    return chart_.caption();
}

void ResponseChartFigure::paintFigure(QPainter& painter, int scale) const
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    paintItems(painter, chart_.items(scale));
    painter.restore();
}

}  // namespace trophex::ui
