#include "ui/filedialog.h"

#include "ui/dialogs.h"

namespace trophex::ui {

namespace {

// Shared by every dialog, and living as long as the program: a dialog's folder reader may
// still ask it while the dialog goes away.
NameOnlyIconProvider& nameOnlyIcons()
{
    static NameOnlyIconProvider provider;
    return provider;
}

}  // namespace

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

DataFileDialog::DataFileDialog(QWidget* parent, AcceptMode mode, const QString& lastName) : QFileDialog(parent)
{
    setOptions(DontUseNativeDialog | DontUseCustomDirectoryIcons | DontConfirmOverwrite);
    setIconProvider(&nameOnlyIcons());
    setAcceptMode(mode);
    // The open dialog also takes the name of a file that does not exist; opening it then
    // reports the file system's error. The replace question is asked by the caller.
    setFileMode(AnyFile);
    setNameFilter(QString::fromLatin1(DataFileFilter));
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
