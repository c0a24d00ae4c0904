// The program as a desktop citizen: the file named on the command line, data files dropped
// on the window, the recent files of the File menu and their settings store, the help file
// of a build tree and of an installation, and the program icon.

#include "gui_test_support.h"

#include "ui/commandline.h"
#include "ui/filedrop.h"
#include "ui/glyphs.h"
#include "ui/helpviewer.h"
#include "ui/mainform.h"
#include "ui/recentfiles.h"

#include <QAction>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QTest>
#include <QUrl>

using namespace trophex::ui;
using namespace trophex::ui::testing;

namespace {

const QString ExampleFile = sourcePath("examples/example.tpx");
const QString OtherExampleFile = sourcePath("examples/prairie.tpx");

void copyFile(const QString& from, const QString& to)
{
    if (!QFile::copy(from, to))
        qFatal("cannot copy %s to %s", qPrintable(from), qPrintable(to));
}

// The window after opening the file with the Open command.
Snapshot openedWithOpen(const QString& path)
{
    Program program;
    program.endStartupScreen();
    program.dialogs.openNames.push_back(path);
    program.main.OpenBtnClick();
    return snapshot(program.main);
}

QMenu& fileMenu(TMainForm& main)
{
    return *main.findChild<QMenu*>(QStringLiteral("File1"));
}

// The texts of the recent-file entries as the File menu shows them when it opens.
QStringList recentEntries(TMainForm& main)
{
    QMenu& menu = fileMenu(main);
    emit menu.aboutToShow();
    QStringList texts;
    for (QAction* action : menu.actions())
        if (action->objectName().startsWith(QLatin1String("RecentFile")))
            texts << action->text();
    return texts;
}

QAction* recentEntry(TMainForm& main, int number)
{
    emit fileMenu(main).aboutToShow();
    return main.findChild<QAction*>(QStringLiteral("RecentFile%1").arg(number));
}

std::unique_ptr<QMimeData> fileDrag(const QStringList& paths)
{
    auto data = std::make_unique<QMimeData>();
    QList<QUrl> urls;
    for (const QString& path : paths)
        urls << QUrl::fromLocalFile(path);
    data->setUrls(urls);
    data->setText(paths.join(QLatin1Char('\n')));
    return data;
}

// Drags the data over the widget and drops it there, as a file manager does; whether the
// window took the drag.
bool dragAndDrop(QWidget* target, const QMimeData& data, Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction)
{
    const QPoint at = target->rect().center();
    QDragEnterEvent enter(at, actions, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent drop(at, actions, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &drop);
    QCoreApplication::processEvents();
    return drop.isAccepted() && drop.dropAction() == Qt::CopyAction;
}

}  // namespace

class DesktopTest : public QObject {
    Q_OBJECT

private slots:
    void init();

    void commandLineArguments_data();
    void commandLineArguments();
    void commandLineFileOpensAfterTheStartupScreenAsOpenWould();
    void commandLineFileThatCannotBeReadShowsTheOpenErrorBox();

    void dropTakesExactlyOneLocalDataFile();
    void droppedFileOpensAsOpenWould();
    void dropIsRefusedWhileTheWindowIsBusyOrOnlyAMoveIsOffered();

    void recentFilesListTheLastFourOpenedOrSaved();
    void recentEntryOpensAsOpenWould();
    void vanishedRecentFileIsSaidSoAndRemoved();
    void failedOpenOrSaveLeavesTheListAlone();
    void recentFilesOutliveTheRun();
    void corruptSettingsStoreKeepsOnlyUsableEntries_data();
    void corruptSettingsStoreKeepsOnlyUsableEntries();
    void unwritableSettingsStoreKeepsTheListForTheRun();

    void helpFileIsFoundBesideTheProgramOrInTheInstallation();
    void programIconIsDrawnFromTheDesktopIcon();

private:
    std::unique_ptr<QTemporaryDir> folder_;
    QString path(const QString& name) const { return folder_->filePath(name); }
};

void DesktopTest::init()
{
    folder_ = std::make_unique<QTemporaryDir>();
    QVERIFY(folder_->isValid());
}

void DesktopTest::commandLineArguments_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("warnings");
    const QString usage = QStringLiteral(" ignored (usage: trophex [FILE.tpx])");
    QTest::newRow("none") << QStringList() << "" << QStringList();
    QTest::newRow("one file") << QStringList{"lake.tpx"} << "lake.tpx" << QStringList();
    QTest::newRow("second file") << QStringList{"a.tpx", "b.tpx"} << "a.tpx"
                                 << QStringList{"trophex: opens one file at a time; \"b.tpx\" ignored"};
    QTest::newRow("unknown option") << QStringList{"--verbose", "a.tpx"} << "a.tpx"
                                    << QStringList{"trophex: unknown option --verbose" + usage};
    QTest::newRow("after --") << QStringList{"--", "-odd.tpx"} << "-odd.tpx" << QStringList();
    QTest::newRow("dash alone is a name") << QStringList{"-"} << "-" << QStringList();
    QTest::newRow("empty name") << QStringList{"", "a.tpx"} << "a.tpx"
                                << QStringList{"trophex: empty file name ignored"};
}

void DesktopTest::commandLineArguments()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, file);
    QFETCH(QStringList, warnings);
    const CommandLine line = parseCommandLine(arguments);
    QCOMPARE(line.file, file);
    QCOMPARE(line.warnings, warnings);
    QVERIFY(!line.help && !line.version);
    QVERIFY(parseCommandLine({"a.tpx", "-h"}).help);
    QVERIFY(parseCommandLine({"--version"}).version);
    QVERIFY(!parseCommandLine({"--", "--help"}).help);
}

void DesktopTest::commandLineFileOpensAfterTheStartupScreenAsOpenWould()
{
    Program program;
    openWhenStartupEnds(program.windows, ExampleFile);
    QCoreApplication::processEvents();
    QCOMPARE(program.main.controlText("NameEditBox"), QString());
    QCOMPARE(program.main.ResultsReady(), 0);

    program.endStartupScreen();
    QTRY_COMPARE(program.main.ResultsReady(), 1);
    QVERIFY(program.main.isEnabled());
    QVERIFY(program.dialogs.errors.isEmpty());
    QVERIFY(snapshot(program.main) == openedWithOpen(ExampleFile));
    // The next Open starts at the file, as after choosing it in the dialog.
    program.main.OpenBtnClick();
    QCOMPARE(program.dialogs.openStartNames, QStringList({ExampleFile}));
    QCOMPARE(program.windows.Recent->files(), QStringList({ExampleFile}));
}

void DesktopTest::commandLineFileThatCannotBeReadShowsTheOpenErrorBox()
{
    Program program;
    const QString startFolder = QDir::currentPath();
    QDir::setCurrent(folder_->path());
    openWhenStartupEnds(program.windows, QStringLiteral("missing.tpx"));
    QDir::setCurrent(startFolder);
    program.endStartupScreen();
    QTRY_COMPARE(program.dialogs.errors.size(), 1);
    QCOMPARE(program.dialogs.errors.first(), path("missing.tpx") + "\nNo such file or directory");
    QVERIFY(program.main.isEnabled());
    QCOMPARE(program.main.ResultsReady(), 0);
    QVERIFY(program.windows.Recent->files().isEmpty());

    // A file that is no data file is named too: nothing else on the screen says which failed.
    writeBytes(path("notes.tpx"), "shopping list\n");
    Program other;
    openWhenStartupEnds(other.windows, path("notes.tpx"));
    other.endStartupScreen();
    QTRY_COMPARE(other.dialogs.errors.size(), 1);
    QCOMPARE(other.dialogs.errors.first(), path("notes.tpx") + "\nInvalid Input File!");
}

void DesktopTest::dropTakesExactlyOneLocalDataFile()
{
    QCOMPARE(droppedDataFile(*fileDrag({"/data/lake.tpx"})), QStringLiteral("/data/lake.tpx"));
    QCOMPARE(droppedDataFile(*fileDrag({"/data/LAKE.TPX"})), QStringLiteral("/data/LAKE.TPX"));
    QCOMPARE(droppedDataFile(*fileDrag({"/data/lake.tpx", "/data/other.tpx"})), QString());
    QCOMPARE(droppedDataFile(*fileDrag({"/data/lake.txt"})), QString());
    QCOMPARE(droppedDataFile(*fileDrag({"/data/tpx"})), QString());
    QMimeData remote;
    remote.setUrls({QUrl(QStringLiteral("https://example.org/lake.tpx"))});
    QCOMPARE(droppedDataFile(remote), QString());
    QMimeData text;
    text.setText(QStringLiteral("/data/lake.tpx"));
    QCOMPARE(droppedDataFile(text), QString());
}

void DesktopTest::droppedFileOpensAsOpenWould()
{
    Program program;
    program.endStartupScreen();
    QLineEdit* nameBox = editBox(&program.main, "NameEditBox");
    QVERIFY(!dragAndDrop(&program.main, *fileDrag({path("notes.txt")})));

    // Dropped on an edit box, which would otherwise take the path as text.
    QVERIFY(dragAndDrop(nameBox, *fileDrag({ExampleFile})));
    QCOMPARE(program.main.ResultsReady(), 1);
    QVERIFY(program.dialogs.errors.isEmpty());
    QVERIFY(snapshot(program.main) == openedWithOpen(ExampleFile));

    QVERIFY(dragAndDrop(&program.main, *fileDrag({path("gone.tpx")})));
    QCOMPARE(program.dialogs.errors, QStringList({path("gone.tpx") + "\nNo such file or directory"}));
}

void DesktopTest::dropIsRefusedWhileTheWindowIsBusyOrOnlyAMoveIsOffered()
{
    Program program;
    QVERIFY(!dragAndDrop(&program.main, *fileDrag({ExampleFile})));  // start-up screen showing
    program.endStartupScreen();
    QVERIFY(!dragAndDrop(&program.main, *fileDrag({ExampleFile}), Qt::MoveAction));
    QDialog question(&program.main);
    question.setModal(true);
    question.show();
    QVERIFY(!dragAndDrop(&program.main, *fileDrag({ExampleFile})));
    question.hide();
    program.main.CalibrateBtnClick();
    QVERIFY(!dragAndDrop(&program.main, *fileDrag({ExampleFile})));
    QCoreApplication::processEvents();
    QCOMPARE(program.main.ResultsReady(), 0);
}

void DesktopTest::recentFilesListTheLastFourOpenedOrSaved()
{
    Program program;
    program.endStartupScreen();
    QCOMPARE(recentEntries(program.main), QStringList());
    enterWorkedExample(program.main);
    const QStringList names = {"a.tpx", "b & c.tpx", "d.tpx", "e.tpx", "f.tpx"};
    for (const QString& name : names) {
        program.dialogs.saveNames.push_back(path(name));
        program.main.SaveBtnClick();
    }
    program.dialogs.openNames.push_back(path("d.tpx"));
    program.main.OpenBtnClick();
    QVERIFY(program.dialogs.errors.isEmpty());
    const QString folder = QDir::toNativeSeparators(folder_->path()) + QDir::separator();
    QCOMPARE(recentEntries(program.main),
             QStringList({"&1 " + folder + "d.tpx", "&2 " + folder + "f.tpx", "&3 " + folder + "e.tpx",
                          "&4 " + folder + "b && c.tpx"}));
    // The menus' own items stay first; in the File menu the recent files follow the newer
    // commands, and Exit stays last.
    const auto itemNames = [&](const char* menu) {
        QStringList names;
        for (QAction* action : program.main.findChild<QMenu*>(QString::fromLatin1(menu))->actions())
            names << (action->isSeparator() ? QStringLiteral("-") : action->objectName());
        return names;
    };
    QCOMPARE(itemNames("File1"), QStringList({"Open1", "PrinterSetup1", "Print1", "Save1", "-",
                                              "AssessLakesTable1", "ImportMonitoringSamples1", "ExportResults1",
                                              "SaveChart1", "SaveResponseChart1", "-", "RecentFile1", "RecentFile2",
                                              "RecentFile3", "RecentFile4", "-", "Exit1"}));
    QCOMPARE(itemNames("Tools1"), QStringList({"Calibrate1", "Calculate1", "Clear1", "-", "CopyResults1"}));
}

void DesktopTest::recentEntryOpensAsOpenWould()
{
    copyFile(ExampleFile, path("example.tpx"));
    copyFile(OtherExampleFile, path("prairie.tpx"));
    Program program;
    program.endStartupScreen();
    program.windows.Recent->add(path("example.tpx"));
    program.windows.Recent->add(path("prairie.tpx"));
    recentEntry(program.main, 2)->trigger();
    QVERIFY(program.dialogs.errors.isEmpty());
    QVERIFY(snapshot(program.main) == openedWithOpen(path("example.tpx")));
    QCOMPARE(program.windows.Recent->files(), QStringList({path("example.tpx"), path("prairie.tpx")}));
}

void DesktopTest::vanishedRecentFileIsSaidSoAndRemoved()
{
    copyFile(ExampleFile, path("kept.tpx"));
    copyFile(ExampleFile, path("gone.tpx"));
    Program program;
    program.endStartupScreen();
    program.windows.Recent->add(path("kept.tpx"));
    program.windows.Recent->add(path("gone.tpx"));
    QVERIFY(QFile::remove(path("gone.tpx")));
    const Snapshot before = snapshot(program.main);

    recentEntry(program.main, 1)->trigger();
    QCOMPARE(program.dialogs.errors,
             QStringList({QDir::toNativeSeparators(path("gone.tpx")) +
                          "\nThis file no longer exists. It has been removed from the list of recent files."}));
    QVERIFY(snapshot(program.main) == before);
    QCOMPARE(program.windows.Recent->files(), QStringList({path("kept.tpx")}));
    QCOMPARE(recentEntries(program.main).size(), 1);
}

void DesktopTest::failedOpenOrSaveLeavesTheListAlone()
{
    writeBytes(path("bad.tpx"), "not a data file\r\n");
    Program program;
    program.endStartupScreen();
    program.dialogs.openNames.push_back(path("bad.tpx"));
    program.main.OpenBtnClick();
    program.dialogs.saveNames.push_back(path("no-such-folder/run.tpx"));
    program.main.SaveBtnClick();
    QCOMPARE(program.dialogs.errors.size(), 2);
    QVERIFY(program.windows.Recent->files().isEmpty());
    QCOMPARE(recentEntries(program.main), QStringList());
}

void DesktopTest::recentFilesOutliveTheRun()
{
    const QString store = path("settings.ini");
    {
        Program first({sourceHelpDir()}, store);
        first.endStartupScreen();
        first.dialogs.openNames.push_back(ExampleFile);
        first.main.OpenBtnClick();
    }
    Program second({sourceHelpDir()}, store);
    second.endStartupScreen();
    QCOMPARE(recentEntries(second.main), QStringList({"&1 " + QDir::toNativeSeparators(ExampleFile)}));
}

void DesktopTest::corruptSettingsStoreKeepsOnlyUsableEntries_data()
{
    QTest::addColumn<QByteArray>("store");
    QTest::addColumn<QStringList>("kept");
    QByteArray binary(4096, '\0');
    for (int i = 0; i < binary.size(); ++i)
        binary[i] = char((i * 7919) % 256);
    QTest::newRow("binary garbage") << binary << QStringList();
    QTest::newRow("not a list") << QByteArray("[General]\nRecentFiles=@Variant(\\0\\0\\0\\x7f\\0\\0)\n")
                                << QStringList();
    QTest::newRow("a number") << QByteArray("[General]\nRecentFiles=@Variant(\\0\\0\\0\\x2\\0\\0\\0\\x5)\n")
                              << QStringList();
    QTest::newRow("relative, empty, repeated and too many")
        << QByteArray("[General]\nRecentFiles=lake.tpx, , /a.tpx, /a.tpx, /b.tpx, /c.tpx, /d.tpx, /e.tpx\n")
        << QStringList({"/a.tpx", "/b.tpx", "/c.tpx", "/d.tpx"});
    QTest::newRow("unterminated section") << QByteArray("[Gene\nRecentFiles=\"/a.tpx") << QStringList();
}

void DesktopTest::corruptSettingsStoreKeepsOnlyUsableEntries()
{
    QFETCH(QByteArray, store);
    QFETCH(QStringList, kept);
    writeBytes(path("settings.ini"), store);
    Program program({sourceHelpDir()}, path("settings.ini"));
    program.endStartupScreen();
    QCOMPARE(program.windows.Recent->files(), kept);
    QCOMPARE(recentEntries(program.main).size(), kept.size());
    program.dialogs.openNames.push_back(ExampleFile);
    program.main.OpenBtnClick();
    QCOMPARE(program.main.ResultsReady(), 1);
    QCOMPARE(program.windows.Recent->files().value(0), ExampleFile);
}

void DesktopTest::unwritableSettingsStoreKeepsTheListForTheRun()
{
    writeBytes(path("plain-file"), "in the way\n");
    Program program({sourceHelpDir()}, path("plain-file/settings.ini"));
    program.endStartupScreen();
    program.dialogs.openNames.push_back(ExampleFile);
    program.main.OpenBtnClick();
    QCOMPARE(program.main.ResultsReady(), 1);
    QVERIFY(program.dialogs.errors.isEmpty());
    QCOMPARE(recentEntries(program.main), QStringList({"&1 " + QDir::toNativeSeparators(ExampleFile)}));
}

void DesktopTest::helpFileIsFoundBesideTheProgramOrInTheInstallation()
{
    const QString helpText = QStringLiteral("<html><a name=\"topic0\">Contents</a></html>");
    QDir root(folder_->path());
    QVERIFY(root.mkpath("build/app") && root.mkpath("usr/bin") && root.mkpath("usr/share/trophex"));
    writeBytes(path("build/app/trxhelp.hlp"), helpText.toUtf8());
    writeBytes(path("usr/share/trophex/trxhelp.hlp"), helpText.toUtf8());
    const QString canonical = QDir(folder_->path()).canonicalPath();
    QCOMPARE(findHelpFile(helpDirsFor(path("build/app"))), canonical + "/build/app/trxhelp.hlp");
    QCOMPARE(findHelpFile(helpDirsFor(path("usr/bin"))), canonical + "/usr/share/trophex/trxhelp.hlp");
    QCOMPARE(findHelpFile(helpDirsFor(path("build"))), QString());

    Program installed(helpDirsFor(path("usr/bin")));
    installed.endStartupScreen();
    installed.main.HelpBtnClick();
    QVERIFY(installed.dialogs.errors.isEmpty());
    QVERIFY(installed.windows.Help->isVisible());
}

void DesktopTest::programIconIsDrawnFromTheDesktopIcon()
{
    const QImage icon = programIcon(40).toImage();
    QCOMPARE(icon.pixelColor(29, 10), QColor(0xfa, 0xc8, 0x28));  // the sun
    QCOMPARE(icon.pixelColor(0, 0).alpha(), 0);                    // a rounded corner
    QVERIFY(icon.pixelColor(35, 36).green() > icon.pixelColor(35, 36).red());      // the lake
}

QTEST_MAIN(DesktopTest)
#include "test_gui_desktop.moc"
