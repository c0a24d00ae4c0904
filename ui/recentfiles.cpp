#include "ui/recentfiles.h"

#include "ui/dialogs.h"
#include "ui/mainform.h"
#include "ui/widgets.h"

#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>
#include <QMenu>
#include <QSettings>

namespace trophex::ui {

namespace {

const QString StoreKey = QStringLiteral("RecentFiles");
constexpr int EntryWidth = 480;  // pixels; longer paths lose their middle

bool usablePath(const QString& path)
{
    return !path.isEmpty() && QDir::isAbsolutePath(path) && !path.contains(QChar(u'\0'));
}

QString entryText(int number, const QString& path, const QFontMetrics& metrics)
{
    QString shown = metrics.elidedText(QDir::toNativeSeparators(path), Qt::ElideMiddle, EntryWidth);
    shown.replace(QLatin1Char('&'), QLatin1String("&&"));
    return QStringLiteral("&%1 %2").arg(number).arg(shown);
}

}  // namespace

QStringList RecentFiles::files() const
{
    const QVariant stored = store_.value(StoreKey);
    QStringList files;
    if (stored.typeId() != QMetaType::QStringList && stored.typeId() != QMetaType::QString)
        return files;
    for (const QString& path : stored.toStringList())
        if (usablePath(path) && !files.contains(path) && files.size() < MaxCount)
            files << path;
    return files;
}

void RecentFiles::add(const QString& fileName)
{
    const QString path = QFileInfo(fileName).absoluteFilePath();
    QStringList list = files();
    list.removeAll(path);
    list.prepend(path);
    write(list.mid(0, MaxCount));
}

void RecentFiles::remove(const QString& fileName)
{
    QStringList list = files();
    list.removeAll(fileName);
    write(list);
}

void RecentFiles::write(const QStringList& files)
{
    store_.setValue(StoreKey, files);
    // A store that cannot be written keeps the list for this run only.
    store_.sync();
}

RecentFilesMenu::RecentFilesMenu(TMainForm& mainForm, QMenu& fileMenu, RecentFiles& files, UserDialogs& dialogs)
    : QObject(&mainForm), mainForm_(mainForm), fileMenu_(fileMenu), files_(files), dialogs_(dialogs)
{
    connect(&fileMenu_, &QMenu::aboutToShow, this, &RecentFilesMenu::refresh);
    connect(&mainForm_, &TMainForm::dataFileUsed, this, [this](const QString& fileName) {
        files_.add(fileName);
        refresh();
    });
    refresh();
}

void RecentFilesMenu::refresh()
{
    // An entry may be the sender of the signal that got here: it goes once that is done.
    QList<QAction*> shown = entries_;
    shown << separator_;
    for (QAction* action : shown) {
        if (action) {
            fileMenu_.removeAction(action);
            action->deleteLater();
        }
    }
    entries_.clear();
    separator_ = nullptr;
    const QStringList files = files_.files();
    if (files.isEmpty())
        return;
    separator_ = addSeparatorBeforeClosingItem(fileMenu_);
    const QFontMetrics metrics(fileMenu_.font());
    for (int i = 0; i < files.size(); ++i) {
        const QString path = files[i];
        QAction* entry = addBeforeClosingItem(fileMenu_, entryText(i + 1, path, metrics));
        entry->setObjectName(QStringLiteral("RecentFile%1").arg(i + 1));
        connect(entry, &QAction::triggered, this, [this, path] { openEntry(path); });
        entries_ << entry;
    }
}

void RecentFilesMenu::openEntry(const QString& fileName)
{
    if (!QFileInfo::exists(fileName)) {
        dialogs_.showError(&mainForm_, tr("%1\nThis file no longer exists. It has been removed from the list of "
                                          "recent files.")
                                           .arg(QDir::toNativeSeparators(fileName)));
        files_.remove(fileName);
        refresh();
        return;
    }
    mainForm_.openDataFile(fileName);
}

}  // namespace trophex::ui
