#include "ui/exportfile.h"

#include "ui/dialogs.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace trophex::ui {

ExportFile::ExportFile(UserDialogs& dialogs, QWidget& parent, QString caption, QStringList filters,
                       std::function<bool(const QString&)> acceptName)
    : dialogs_(dialogs), parent_(parent), caption_(std::move(caption)), filters_(std::move(filters)),
      acceptName_(std::move(acceptName))
{
}

QString ExportFile::choose()
{
    const QString name = dialogs_.exportFileName(&parent_, caption_, lastName_, filters_);
    if (name.isEmpty())
        return {};
    lastName_ = name;
    if (acceptName_ && !acceptName_(name))
        return {};
    if (QFileInfo::exists(name) && !dialogs_.confirmReplace(&parent_, name))
        return {};
    return name;
}

bool ExportFile::write(const QString& fileName, const std::function<std::optional<QString>(QIODevice&)>& writeTo)
{
    QSaveFile file(fileName);
    std::optional<QString> error;
    if (!file.open(QIODevice::WriteOnly))
        error = file.errorString();
    else if ((error = writeTo(file)))
        file.cancelWriting();
    else if (!file.commit())
        error = file.errorString();
    if (error)
        dialogs_.showError(&parent_, QStringLiteral("%1\n%2").arg(QDir::toNativeSeparators(fileName), *error));
    return !error;
}

}  // namespace trophex::ui
