#include "ui/filedrop.h"

#include "ui/mainform.h"

#include <QApplication>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

namespace trophex::ui {

QString droppedDataFile(const QMimeData& data)
{
    const QList<QUrl> urls = data.urls();
    if (urls.size() != 1 || !urls.front().isLocalFile())
        return {};
    const QString path = urls.front().toLocalFile();
    if (QFileInfo(path).suffix().compare(QLatin1String("tpx"), Qt::CaseInsensitive) != 0)
        return {};
    return path;
}

DataFileDrop::DataFileDrop(TMainForm& mainForm) : QObject(&mainForm), mainForm_(mainForm)
{
    mainForm_.setAcceptDrops(true);
    // The boxes of the window take drops of their own; the file has to be seen first.
    qApp->installEventFilter(this);
}

bool DataFileDrop::overMainWindow(QObject* watched) const
{
    const auto* widget = qobject_cast<const QWidget*>(watched);
    return widget && widget->window() == &mainForm_ && mainForm_.isEnabled() && !QApplication::activeModalWidget();
}

bool DataFileDrop::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop)
        return false;
    auto* drop = static_cast<QDropEvent*>(event);
    if (!overMainWindow(watched) || !drop->mimeData())
        return false;
    const QString path = droppedDataFile(*drop->mimeData());
    // Only ever a copy: a move would let the program the file comes from delete it.
    if (path.isEmpty() || !(drop->possibleActions() & Qt::CopyAction))
        return false;
    drop->setDropAction(Qt::CopyAction);
    drop->accept();
    if (type == QEvent::Drop) {
        // Opened once the drop is over, so that an error box does not hold up the program
        // the file came from.
        QMetaObject::invokeMethod(
            &mainForm_, [this, path] { mainForm_.openDataFile(path, true); }, Qt::QueuedConnection);
    }
    return true;
}

}  // namespace trophex::ui
