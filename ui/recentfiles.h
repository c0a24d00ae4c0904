#pragma once
// The data files opened or saved last, newest first, kept in the settings store so that
// the File menu offers them again in later runs. The store may be missing, unreadable,
// unwritable or hold anything at all: the list then starts empty or keeps what it can use,
// and the program goes on.

#include <QObject>
#include <QStringList>

class QAction;
class QMenu;
class QSettings;

namespace trophex::ui {

class TMainForm;
class UserDialogs;

class RecentFiles {
public:
    static constexpr int MaxCount = 4;

    explicit RecentFiles(QSettings& store) : store_(store) {}

    // Absolute paths, newest first, at most MaxCount, as the store holds them now.
    QStringList files() const;
    // Puts the file at the front, taking it out of its old place.
    void add(const QString& fileName);
    void remove(const QString& fileName);

private:
    void write(const QStringList& files);

    QSettings& store_;  // where the list is kept between runs
};

// The list at the end of the File menu, "&1 path" to "&4 path", read afresh from the store
// each time the menu opens. Choosing an entry opens the file as Open does; an entry whose
// file has gone is said so and taken out of the list. Every file that Open or Save used
// joins the list.
class RecentFilesMenu : public QObject {
public:
    RecentFilesMenu(TMainForm& mainForm, QMenu& fileMenu, RecentFiles& files, UserDialogs& dialogs);

    // The entries as the menu shows them now.
    const QList<QAction*>& entries() const { return entries_; }
    // Rebuilds the entries from the store.
    void refresh();
    void openEntry(const QString& fileName);

private:
    TMainForm& mainForm_;
    QMenu& fileMenu_;
    RecentFiles& files_;
    UserDialogs& dialogs_;
    QAction* separator_ = nullptr;  // above the entries; only while there are some
    QList<QAction*> entries_;       // "&1 path" and so on, newest first
};

}  // namespace trophex::ui
