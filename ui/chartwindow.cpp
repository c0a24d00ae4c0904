#include "ui/chartwindow.h"

#include <QEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QPainter>
#include <QScreen>

#include <algorithm>
#include <cmath>

namespace trophex::ui {

namespace {

constexpr int FirstScale = 2;  // the window first shows the chart twice as large as its page

}  // namespace

ChartWindow::ChartWindow(QWidget& chartArea, std::unique_ptr<ChartFigure> figure, std::function<bool()> ready,
                         const QString& title, QWidget& owner)
    : QWidget(&owner, Qt::Window), chartArea_(chartArea), figure_(std::move(figure)), ready_(std::move(ready)),
      title_(title)
{
    setObjectName(QStringLiteral("ChartWindow"));
    setWindowTitle(title_);
    setMinimumSize(240, 160);
    chartArea_.installEventFilter(this);
}

void ChartWindow::showChart()
{
    if (!sized_) {
        const QSizeF picture = pictureSize(*figure_, FirstScale);
        QSize size = picture.toSize();
        if (const QScreen* screen = chartArea_.screen())
            size = size.boundedTo(screen->availableSize() * 9 / 10);
        resize(size);
        sized_ = true;
    }
    show();
    raise();
    activateWindow();
    chartChanged();
}

void ChartWindow::chartChanged()
{
    if (!isVisible())
        return;
    const QString caption = ready_() ? figure_->figureCaption() : QString();
    setWindowTitle(caption.isEmpty() ? title_ : QStringLiteral("%1 - %2").arg(title_, caption));
    update();
}

bool ChartWindow::event(QEvent* event)
{
    // Coming back to the window shows the chart as it is now (cleared, say).
    if (event->type() == QEvent::WindowActivate)
        chartChanged();
    return QWidget::event(event);
}

bool ChartWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == &chartArea_) {
        if (event->type() == QEvent::MouseButtonDblClick && ready_()) {
            showChart();
            return true;
        }
        // The chart on its page changed: so does the one here.
        if (event->type() == QEvent::Paint)
            chartChanged();
    }
    return QWidget::eventFilter(watched, event);
}

void ChartWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape || event->matches(QKeySequence::Close))
        close();
    else
        QWidget::keyPressEvent(event);
}

void ChartWindow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    if (!ready_()) {
        painter.drawText(rect(), Qt::AlignCenter, tr("No chart: the results have been cleared."));
        return;
    }
    const QSizeF picture = pictureSize(*figure_, 1);
    const double scale = std::min(width() / picture.width(), height() / picture.height());
    const int detail = std::max(1, static_cast<int>(std::ceil(scale)));
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.translate((width() - picture.width() * scale) / 2, (height() - picture.height() * scale) / 2);
    paintPicture(painter, *figure_, scale, detail);
}

}  // namespace trophex::ui
