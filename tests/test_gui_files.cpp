// Open and Save of the main window: what is written, what is restored, and that a file
// that cannot be used changes nothing.

#include "tests/gui_test_support.h"

#include "ui/calibrateform.h"
#include "ui/filedialog.h"
#include "ui/mainform.h"

#include <QComboBox>
#include <QFile>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace trophex::ui;
using namespace trophex::ui::testing;

namespace {

QByteArray crlfLines(const QStringList& lines)
{
    QByteArray bytes;
    for (const QString& line : lines)
        bytes += line.toLatin1() + "\r\n";
    return bytes;
}

void save(Program& program, const QString& path)
{
    program.dialogs.saveNames.push_back(path);
    program.main.SaveBtnClick();
}

void open(Program& program, const QString& path)
{
    program.dialogs.openNames.push_back(path);
    program.main.OpenBtnClick();
}

const QStringList StartupFileWithName = {
    "TROPHEX 1.0 Data File", "Mirror Lake", "NLF", "", "HA", "", "HA", "", "m", "", "ug/L", "", "ug/L", "", "m",
    "", "mg/L", "52", "0.74", "0.61", "0.23", "15", "0.01", "0.202", "0.04", "0.126", "0.038", "0.027", "0.071",
    "0.019", "0.48", "0.20"};

}  // namespace

class FilesTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void saveRightAfterStartup();
    void saveAndReopenRestoresEveryTextAndCalculates();
    void fileCalibrationStandsOverTheEcoregionDefaults();
    void unusableFilesChangeNothing_data();
    void unusableFilesChangeNothing();
    void headerOnlyFileEmptiesTheInputsAndReportsThem();
    void savingOverAFileAsksFirst();
    void saveFailureNamesTheFileAndTheSystemError();
    void dialogsStartWithTheirOwnLastName();
    void fileDialogsNeverReadAFileToGuessItsType();

private:
    std::unique_ptr<QTemporaryDir> folder_;
    QString path(const QString& name) const { return folder_->filePath(name); }
};

void FilesTest::init()
{
    folder_ = std::make_unique<QTemporaryDir>();
    QVERIFY(folder_->isValid());
}

void FilesTest::saveRightAfterStartup()
{
    Program program;
    program.endStartupScreen();
    editBox(&program.main, "NameEditBox")->setText("Mirror Lake");
    save(program, path("mirror"));
    QVERIFY(program.dialogs.errors.isEmpty());
    QCOMPARE(readBytes(path("mirror")), crlfLines(StartupFileWithName));
    QCOMPARE(program.main.ResultsReady(), 0);
}

void FilesTest::saveAndReopenRestoresEveryTextAndCalculates()
{
    Program program;
    program.endStartupScreen();
    TMainForm& main = program.main;
    enterWorkedExample(main);
    editBox(&main, "NameEditBox")->setText("Lac Léman, north bay " + QString(40000, QChar('x')));
    // An alkalinity unit is looked at only when an alkalinity is given.
    editBox(&main, "AlkalinityEditBox")->clear();
    selector(&main, "AlkalinityUnitComboBox")->setEditText(QString(40000, QChar('u')));
    editBox(&main, "DepthEditBox")->setText("5.00");
    editBox(program.windows.CalibrateForm.get(), "PrecipEditBox")->setText("0.80");
    const trophex::InputTexts saved = main.gatherInputs();
    QCOMPARE(saved[trophex::Input::NameEditBox].size(), std::size_t{22 + 40000});
    QCOMPARE(saved[trophex::Input::AlkalinityUnitComboBox].size(), std::size_t{40000});
    save(program, path("run.tpx"));

    Program other;
    other.endStartupScreen();
    open(other, path("run.tpx"));
    QVERIFY(other.dialogs.errors.isEmpty());
    QVERIFY(other.main.gatherInputs().texts == saved.texts);
    QCOMPARE(other.main.ResultsReady(), 1);
    main.CalcButtonClick();
    Snapshot expected = snapshot(main);
    Snapshot reopened = snapshot(other.main);
    QCOMPARE(reopened.texts, expected.texts);
    QCOMPARE(reopened.modelResults, expected.modelResults);
}

void FilesTest::fileCalibrationStandsOverTheEcoregionDefaults()
{
    QStringList lines = StartupFileWithName;
    lines[2] = "CHF";
    lines[17] = "75";
    lines[26] = "0.5";
    writeBytes(path("chf.tpx"), crlfLines(lines));
    Program program;
    program.endStartupScreen();
    open(program, path("chf.tpx"));
    QCOMPARE(program.dialogs.errors, QStringList({"Invalid Input Parameter!"}));
    QCOMPARE(program.main.controlText("EcoRegComboBox"), QStringLiteral("CHF"));
    QCOMPARE(editBox(program.windows.CalibrateForm.get(), "StreamEditBox")->text(), QStringLiteral("75"));
    QCOMPARE(editBox(program.windows.CalibrateForm.get(), "V5EditBox")->text(), QStringLiteral("0.5"));
    QCOMPARE(editBox(program.windows.CalibrateForm.get(), "PrecipEditBox")->text(), QStringLiteral("0.74"));
}

void FilesTest::unusableFilesChangeNothing_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("message");
    QStringList header = StartupFileWithName;
    header[0] = "TROPHEX 1.0 data File";
    QTest::newRow("header in other case") << crlfLines(header) << "Invalid Input File!";
    QTest::newRow("no such file") << QByteArray() << "No such file or directory";
}

void FilesTest::unusableFilesChangeNothing()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, message);
    if (!bytes.isEmpty())
        writeBytes(path("bad.tpx"), bytes);
    Program program;
    program.endStartupScreen();
    enterWorkedExample(program.main);
    showPage(program.main, "TSI");
    program.main.CalcButtonClick();
    const Snapshot before = snapshot(program.main);
    const trophex::InputTexts inputs = program.main.gatherInputs();

    open(program, path("bad.tpx"));
    QCOMPARE(program.dialogs.errors.size(), 1);
    QVERIFY2(program.dialogs.errors.first().contains(message), qPrintable(program.dialogs.errors.first()));
    QVERIFY(snapshot(program.main) == before);
    QVERIFY(program.main.gatherInputs().texts == inputs.texts);
}

void FilesTest::headerOnlyFileEmptiesTheInputsAndReportsThem()
{
    writeBytes(path("header.tpx"), "TROPHEX 1.0 Data File\r\n");
    Program program;
    program.endStartupScreen();
    enterWorkedExample(program.main);
    open(program, path("header.tpx"));
    QCOMPARE(program.dialogs.errors, QStringList({"Invalid Input Parameter!"}));
    for (const std::string& text : program.main.gatherInputs().texts)
        QVERIFY(text.empty());
}

void FilesTest::savingOverAFileAsksFirst()
{
    writeBytes(path("old.tpx"), "keep me\r\n");
    Program program;
    program.endStartupScreen();
    program.dialogs.replaceAnswers = {false, true};
    save(program, path("old.tpx"));
    QCOMPARE(program.dialogs.replaceQuestions, QStringList({path("old.tpx")}));
    QCOMPARE(readBytes(path("old.tpx")), QByteArray("keep me\r\n"));
    save(program, path("old.tpx"));
    QCOMPARE(program.dialogs.replaceQuestions.size(), 2);
    QVERIFY(readBytes(path("old.tpx")).startsWith("TROPHEX 1.0 Data File\r\n"));
    save(program, path("new.tpx"));
    QCOMPARE(program.dialogs.replaceQuestions.size(), 2);
    QVERIFY(QFile::exists(path("new.tpx")));
}

void FilesTest::saveFailureNamesTheFileAndTheSystemError()
{
    Program program;
    program.endStartupScreen();
    const QString target = path("missing-folder/run.tpx");
    save(program, target);
    QCOMPARE(program.dialogs.errors, QStringList({target + "\nNo such file or directory"}));
    QVERIFY(!QFile::exists(target));
}

void FilesTest::dialogsStartWithTheirOwnLastName()
{
    Program program;
    program.endStartupScreen();
    save(program, path("a.tpx"));
    program.main.SaveBtnClick();  // cancelled
    open(program, path("a.tpx"));
    open(program, QString());  // cancelled
    save(program, path("b.tpx"));
    QCOMPARE(program.dialogs.saveStartNames, QStringList({"", path("a.tpx"), path("a.tpx")}));
    QCOMPARE(program.dialogs.openStartNames, QStringList({"", path("a.tpx")}));
    QVERIFY(QFile::exists(path("b.tpx")));
}

// Typing a name makes the dialog look the file up at once, on the window's thread; listing
// a folder describes every file in it. Neither may open a file: opening a pipe waits for a
// writer, and reading /proc/kmsg waits for the next kernel message.
void FilesTest::fileDialogsNeverReadAFileToGuessItsType()
{
    const QString pipe = path("pipe.tpx");
    QVERIFY(::mkfifo(QFile::encodeName(pipe).constData(), 0600) == 0);
    writeBytes(path("lake.tpx"), crlfLines(StartupFileWithName));
    // A name with a wildcard shows every file of its folder.
    for (const QString& start : {path("lake.tpx"), path("*"), QStringLiteral("/proc/*")}) {
        DataFileDialog dialog(nullptr, QFileDialog::AcceptSave, start);
        QVERIFY(dialog.testOption(QFileDialog::DontUseNativeDialog));
        dialog.show();
        auto* model = dialog.findChild<QFileSystemModel*>();
        QVERIFY(model);
        QCOMPARE(model->iconProvider()->type(QFileInfo(pipe)), QStringLiteral("TPX File"));
        const QModelIndex folder = model->index(dialog.directory().absolutePath());
        QTRY_VERIFY(model->rowCount(folder) > 0);
        QTest::qWait(200);
        auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        QVERIFY(name);
        for (const QString& typed : {pipe, QStringLiteral("/proc/kmsg"), QStringLiteral("/dev/zero")}) {
            name->setText(typed);
            QTest::qWait(50);
        }
    }
    // A file dialog that another dialog makes and runs (the print dialog's output file) gets
    // the same provider once the program's windows exist.
    Program program;
    QFileDialog other(nullptr, QString(), QStringLiteral("/proc"));
    other.show();
    QVERIFY(other.testOption(QFileDialog::DontUseNativeDialog));
    QCOMPARE(other.iconProvider()->type(QFileInfo(pipe)), QStringLiteral("TPX File"));
    auto* model = other.findChild<QFileSystemModel*>();
    QTRY_VERIFY(model->rowCount(model->index(QStringLiteral("/proc"))) > 0);
    QTest::qWait(200);

    const NameOnlyIconProvider provider;
    QCOMPARE(provider.type(QFileInfo(QStringLiteral("/proc/kmsg"))), QStringLiteral("File"));
    QCOMPARE(provider.type(QFileInfo(QStringLiteral("/proc"))), QStringLiteral("Folder"));
    QCOMPARE(provider.type(QFileInfo(path("lake.tpx"))), QStringLiteral("TPX File"));
}

QTEST_MAIN(FilesTest)
#include "test_gui_files.moc"
