#include "tests/gui_test_support.h"

#include "ui/aboutbox.h"
#include "ui/mainform.h"
#include "ui/stringgrid.h"
#include "ui/tsichart.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QTabWidget>
#include <QTest>

namespace trophex::ui::testing {

namespace {

// The first queued answer, or a cancelled dialog's answer when none is queued.
template <typename Answer>
Answer takeFront(std::deque<Answer>& answers)
{
    if (answers.empty())
        return Answer{};
    Answer answer = answers.front();
    answers.pop_front();
    return answer;
}

void addGrid(Snapshot& shot, const StringGrid& grid)
{
    for (int row = 0; row < grid.rowCount(); ++row)
        for (int column = 0; column < grid.columnCount(); ++column)
            shot.texts[QStringLiteral("%1[%2,%3]").arg(grid.objectName()).arg(column).arg(row)] =
                grid.cell(column, row);
}

}  // namespace

QString ScriptedDialogs::openFileName(QWidget*, const QString& lastName)
{
    openStartNames << lastName;
    return takeFront(openNames);
}

QString ScriptedDialogs::saveFileName(QWidget*, const QString& lastName)
{
    saveStartNames << lastName;
    return takeFront(saveNames);
}

QString ScriptedDialogs::exportFileName(QWidget*, const QString& caption, const QString& lastName,
                                        const QStringList& filters)
{
    exportCaptions << caption;
    exportFilters << filters;
    exportStartNames << lastName;
    return takeFront(exportNames);
}

QString ScriptedDialogs::openTableName(QWidget* parent, const QString& lastName)
{
    return openFileName(parent, lastName);
}

QString ScriptedDialogs::saveTableName(QWidget* parent, const QString& lastName)
{
    return saveFileName(parent, lastName);
}

bool ScriptedDialogs::confirmReplace(QWidget*, const QString& fileName)
{
    replaceQuestions << fileName;
    return takeFront(replaceAnswers);
}

void ScriptedDialogs::showError(QWidget*, const QString& message)
{
    errors << message;
}

bool ScriptedDialogs::confirmPrint(QWidget*, QPrinter&)
{
    ++printDialogs;
    return takeFront(printAnswers);
}

void ScriptedDialogs::setUpPrinter(QWidget*, QPrinter&)
{
    ++printerSetups;
}

QString sourceHelpDir()
{
    return sourcePath("ui/help");
}

// The source folder is named by the environment (CTest sets it), so that the test programs
// hold no path of the machine that built them.
QString sourcePath(const char* relative)
{
    const QString root = qEnvironmentVariable("TROPHEX_SOURCE_DIR");
    if (root.isEmpty())
        qFatal("TROPHEX_SOURCE_DIR is not set: it names the source folder (ctest sets it)");
    return root + QLatin1Char('/') + QString::fromUtf8(relative);
}

TestSettings::TestSettings(const QString& file)
    : store(file.isEmpty() ? folder.filePath(QStringLiteral("trophex.conf")) : file, QSettings::IniFormat)
{
}

Program::Program(const QStringList& helpDirs, const QString& settingsFile, const NumberFormat& format)
    : settings(settingsFile), windows(createWindows(dialogs, format, helpDirs, settings.store)),
      main(*windows.MainForm)
{
}

void Program::endStartupScreen()
{
    windows.AboutBox->Timer1Timer();
}

QByteArray readBytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(path));
    return file.readAll();
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

QLineEdit* editBox(QWidget* window, const char* name)
{
    auto* box = window->findChild<QLineEdit*>(QString::fromLatin1(name));
    if (!box)
        qFatal("no edit box %s", name);
    return box;
}

QComboBox* selector(QWidget* window, const char* name)
{
    auto* found = window->findChild<QComboBox*>(QString::fromLatin1(name));
    if (!found)
        qFatal("no selector %s", name);
    return found;
}

void chooseFromList(QComboBox* selector, const QString& item)
{
    const int index = selector->findText(item, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index < 0)
        qFatal("no item %s", qPrintable(item));
    selector->showPopup();
    QAbstractItemView* list = selector->view();
    const QRect cell = list->visualRect(list->model()->index(index, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, cell.center());
}

void typeInto(QComboBox* selector, const QString& text)
{
    selector->lineEdit()->selectAll();
    QTest::keyClick(selector->lineEdit(), Qt::Key_Delete);
    QTest::keyClicks(selector->lineEdit(), text);
}

void enterWorkedExample(TMainForm& main)
{
    const std::pair<const char*, const char*> values[] = {
        {"WareaEditBox", "10"}, {"LareaEditBox", "1"}, {"DepthEditBox", "5"},  {"TPeditBox", "30"},
        {"ChlrAeditBox", "10"}, {"SechiEditBox", "2"}, {"AlkalinityEditBox", "1"}};
    for (const auto& [box, text] : values)
        editBox(&main, box)->setText(QString::fromLatin1(text));
    const std::pair<const char*, const char*> units[] = {{"WareaComboBox", "km2"},
                                                         {"LareaComboBox", "km2"},
                                                         {"AlkalinityUnitComboBox", "meq/L"}};
    for (const auto& [name, unit] : units)
        chooseFromList(selector(&main, name), QString::fromLatin1(unit));
}

void showPage(TMainForm& main, const QString& caption)
{
    auto* notebook = main.findChild<QTabWidget*>(QStringLiteral("TabbedNotebook1"));
    for (int page = 0; page < notebook->count(); ++page)
        if (notebook->tabText(page) == caption)
            notebook->setCurrentIndex(page);
}

bool Snapshot::operator==(const Snapshot& other) const
{
    return texts == other.texts && chart == other.chart && resultsReady == other.resultsReady &&
           modelResults == other.modelResults;
}

Snapshot snapshot(TMainForm& main)
{
    Snapshot shot;
    for (QLineEdit* box : main.findChildren<QLineEdit*>())
        if (!box->objectName().isEmpty())
            shot.texts[box->objectName()] = box->text();
    for (QComboBox* list : main.findChildren<QComboBox*>())
        shot.texts[list->objectName()] = list->currentText();
    addGrid(shot, main.ChlrStringGrid());
    addGrid(shot, main.CompStringGrid());
    shot.chart = main.PaintBox1().grab().toImage();
    shot.resultsReady = main.ResultsReady();
    const ModelState& s = main.modelState();
    for (double value : {s.OutVol, s.ResTime, s.AvgInTP, s.CVtp.doubleValue(), s.PredChlrA, s.ObsTP.doubleValue(),
                         s.ObsSechi.doubleValue()})
        shot.modelResults << QString::number(value, 'g', 17);
    return shot;
}

}  // namespace trophex::ui::testing
