#include "ui/filedialog.h"

#include "ui/dialogs.h"

#include <QCoreApplication>
#include <QEvent>

namespace trophex::ui {

namespace {

// Shared by every dialog, and living as long as the program: a dialog's folder reader may
// still ask it while the dialog goes away.
NameOnlyIconProvider& nameOnlyIcons()
{
    static NameOnlyIconProvider provider;
    return provider;
}

void describeFilesByName(QFileDialog& dialog)
{
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::DontUseCustomDirectoryIcons);
    dialog.setIconProvider(&nameOnlyIcons());
}

// Sees each file dialog of the application as it is polished, just before it first shows
// and before its event loop lists any folder.
class FileDialogWatcher : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Polish)
            if (auto* dialog = qobject_cast<QFileDialog*>(watched))
                describeFilesByName(*dialog);
        return false;
    }
};

}  // namespace

void describeFilesByNameInEveryFileDialog()
{
    const QString name = QStringLiteral("FileDialogWatcher");
    QCoreApplication* application = QCoreApplication::instance();
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    if (application->findChild<QObject*>(name, Qt::FindDirectChildrenOnly))
        return;
    auto* watcher = new FileDialogWatcher(application);
    watcher->setObjectName(name);
    application->installEventFilter(watcher);
}

QIcon NameOnlyIconProvider::icon(const QFileInfo& info) const
{
    return icon(info.isDir() ? Folder : File);
}

QString NameOnlyIconProvider::type(const QFileInfo& info) const
{
    if (info.isDir())
        return QStringLiteral("Folder");
    const QString suffix = info.suffix();
    return suffix.isEmpty() ? QStringLiteral("File") : QStringLiteral("%1 File").arg(suffix.toUpper());
}

DataFileDialog::DataFileDialog(QWidget* parent, AcceptMode mode, const QString& lastName, const QString& filter)
    : QFileDialog(parent)
{
    setOption(DontConfirmOverwrite);
    describeFilesByName(*this);
    setAcceptMode(mode);
    // The open dialog also takes the name of a file that does not exist; opening it then
    // reports the file system's error. The replace question is asked by the caller.
    setFileMode(AnyFile);
    setNameFilter(filter);
    if (!lastName.isEmpty())
        selectFile(lastName);
}

QString DataFileDialog::chooseFile()
{
    if (exec() != Accepted || selectedFiles().isEmpty())
        return {};
    return selectedFiles().constFirst();
}

}  // namespace trophex::ui
