// The table of lakes: a CSV table assessed from the File menu with progress and Cancel, its
// rows sorted, filtered and summed up, one lake opened in the main window, a target for the
// whole table, and the table saved as trophex-cli batch writes it.

#include "tests/gui_test_support.h"

#include "batch/lakegenerator.h"
#include "cli/batch.h"
#include "model/results.h"
#include "ui/lakestablemodel.h"
#include "ui/lakestablewindow.h"
#include "ui/mainform.h"
#include "ui/stringgrid.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

#include <cmath>

using namespace trophex;
using namespace trophex::ui;
using namespace trophex::ui::testing;

namespace {

QByteArray syntheticLakes(std::uint64_t count, std::uint64_t seed)
{
    QByteArray bytes;
    batch::writeSyntheticLakes(count, seed, [&](std::string_view piece) {
        bytes.append(piece.data(), static_cast<qsizetype>(piece.size()));
    });
    return bytes;
}

// What trophex-cli batch writes for the table, with the options given.
QByteArray batchOutput(const QByteArray& table, const QStringList& options = {})
{
    const QTemporaryDir folder;
    const QString input = folder.filePath(QStringLiteral("in.csv"));
    const QString output = folder.filePath(QStringLiteral("out.csv"));
    writeBytes(input, table);
    std::vector<std::string> args = {input.toStdString(), "-o", output.toStdString(), "--threads", "2"};
    for (const QString& option : options)
        args.push_back(option.toStdString());
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    if (cli::runBatchCommand(static_cast<int>(argv.size()), argv.data()) != 0)
        qFatal("trophex-cli batch %s failed", qPrintable(options.join(' ')));
    return readBytes(output);
}

// The texts of one column of trophex-cli's output, row by row.
QStringList outputColumn(const QByteArray& output, const char* column)
{
    batch::CsvRecord fields;
    const std::string text = output.mid(output.indexOf("name,")).toStdString();
    std::size_t pos = batch::scanCsvRecord(text, 0, true, &fields);
    int index = -1;
    for (std::size_t i = 0; i < fields.size(); ++i)
        if (fields[i] == column)
            index = static_cast<int>(i);
    QStringList texts;
    while (index >= 0 && pos < text.size()) {
        pos = batch::scanCsvRecord(text, pos, true, &fields);
        texts << QString::fromStdString(std::string(fields[static_cast<std::size_t>(index)]));
    }
    return texts;
}

// A small table in the shapes users give: a byte order mark, CR LF line ends, units in any
// case, calibration overrides, a row without alkalinity and rows that cannot be calculated.
const QByteArray SmallTable =
    "\xEF\xBB\xBFLake,Ecoregion,Watershed Area,watershed_area_unit,Lake Area,lake_area_unit,Mean Depth,TP,chla,"
    "Secchi,Alkalinity,alkalinity_unit,precipitation,V2\r\n"
    "Example Lake,NLF,10,km2,1,km2,5,30,10,2,1,meq/L,,\r\n"
    "\"Prairie, North\",ngp,2500,ha,120,HA,1.5,180,60,0.4,,,0.5,0.3\r\n"
    "Wrong Unit,CHF,10,parsec,1,km2,5,30,10,2,1,meq/L,,\r\n"
    "No Depth,WCP,10,km2,1,km2,,30,10,2,1,meq/L,,\r\n"
    "Clear Lake,WCP,40,km2,8,km2,12,8,2,6,1,meq/L,,\r\n"
    "Dry Lake,CHF,10,km2,1,km2,5,30,10,2,1,meq/L,-2,\r\n";

void choose(QComboBox* filter, const QString& item)
{
    filter->setCurrentIndex(filter->findText(item));
}

QComboBox* targetSelector(const LakesTableWindow& window)
{
    return window.findChild<QComboBox*>(QStringLiteral("TargetSelector"));
}

// Types the target into the selector and takes it with Return, as from the keyboard.
void typeTarget(const LakesTableWindow& window, const QString& text)
{
    typeInto(targetSelector(window), text);
    QTest::keyClick(targetSelector(window)->lineEdit(), Qt::Key_Return);
}

// Sorts as a click on a column's title does, and waits for the rows in their new order.
void sortBy(LakesTableWindow& window, int column, Qt::SortOrder order)
{
    window.view().sortByColumn(column, order);
    QTRY_VERIFY(!window.model().sorting());
}

// The shape of the cursor the program has put over every window; the arrow when none.
Qt::CursorShape overrideShape()
{
    const QCursor* cursor = QGuiApplication::overrideCursor();
    return cursor ? cursor->shape() : Qt::ArrowCursor;
}

// Saves as the Save button does, and waits for the file.
void saveAndWait(LakesTableWindow& window)
{
    window.SaveResultsAsClick();
    QTRY_VERIFY(!window.saving());
}

}  // namespace

class LakesTableTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void theFileMenuOffersTheTableAfterItsItems();
    void assessmentShowsProgressAndEveryLake();
    void cancelStopsAndKeepsTheTableOnShow();
    void unreadableTablesAreReportedWithTheirFile_data();
    void unreadableTablesAreReportedWithTheirFile();
    void failedRowsStandOutWithTheirReason();
    void sortingOrdersNumbersByValueAndEmptyCellsLast();
    void inputsSortBySizeWhateverTheirUnit();
    void filtersAndTheSummary();
    void doubleClickShowsTheRowsTextsInTheMainWindow();
    void saveWritesWhatTheBatchWrites();
    void saveNeverReplacesItsOwnTableOrAFileUnasked();
    void aTargetAddsEveryLakesLoadResponseAsTheBatchWritesIt();
    void targetColumnsAreFilteredSortedAndSummedUp();
    void unreadableTargetsAndFailedReassessmentsKeepTheTable();
    void aSemicolonTableShowsItsSpreadsheetRowsAndIgnoredColumns();
    void ctrlCCopiesTheSelectedRowsUnderTheTitles();
    void columnsAreAsWideAsTheirLongestTextInAnyRow();

private:
    // Assesses the file through the main window's menu item and waits for the end.
    void assess(Program& program, const QString& file);
    // The program, started, with the table written to a file of that name and assessed.
    std::unique_ptr<Program> assessed(const QByteArray& table, const QString& name);
    std::unique_ptr<QTemporaryDir> folder_;
    QString path(const QString& name) const { return folder_->filePath(name); }
};

void LakesTableTest::init()
{
    folder_ = std::make_unique<QTemporaryDir>();
    QVERIFY(folder_->isValid());
}

void LakesTableTest::assess(Program& program, const QString& file)
{
    program.dialogs.openNames.push_back(file);
    program.main.findChild<QAction*>(QStringLiteral("AssessLakesTable1"))->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(!program.main.lakesTable().assessing() && !program.main.lakesTable().model().sorting(),
                             60000);
}

std::unique_ptr<Program> LakesTableTest::assessed(const QByteArray& table, const QString& name)
{
    writeBytes(path(name), table);
    auto program = std::make_unique<Program>();
    program->endStartupScreen();
    assess(*program, path(name));
    return program;
}

void LakesTableTest::theFileMenuOffersTheTableAfterItsItems()
{
    Program program;
    program.endStartupScreen();
    QStringList captions;
    for (QAction* action : program.main.menuBar()->actions().constFirst()->menu()->actions())
        captions << action->text();
    // The window's own items, then the newer ones, and Exit last.
    QCOMPARE(captions.mid(0, 6), (QStringList{"&Open", "&Printer Setup", "P&rint", "&Save", QString(),
                                              QString::fromUtf8("Assess Lakes &Table\u2026")}));
    QCOMPARE(captions.mid(captions.size() - 2), (QStringList{QString(), "&Exit"}));
    QCOMPARE(program.main.findChild<QAction*>(QStringLiteral("Open1"))->shortcut(), QKeySequence(QKeySequence::Open));
    QCOMPARE(program.main.findChild<QAction*>(QStringLiteral("Save1"))->shortcut(), QKeySequence(QKeySequence::Save));
    // A cancelled file dialog opens nothing.
    program.main.AssessLakesTable1Click();
    QVERIFY(!program.main.lakesTable().isVisible());
    QCOMPARE(program.dialogs.openStartNames, QStringList{QString()});
}

void LakesTableTest::assessmentShowsProgressAndEveryLake()
{
    const QByteArray table = syntheticLakes(20000, 3);
    writeBytes(path("lakes.csv"), table);
    Program program;
    program.endStartupScreen();
    LakesTableWindow& window = program.main.lakesTable();
    auto* bar = window.findChild<QProgressBar*>(QStringLiteral("AssessProgress"));
    QSignalSpy progress(bar, &QProgressBar::valueChanged);
    assess(program, path("lakes.csv"));

    QVERIFY(program.dialogs.errors.isEmpty());
    QVERIFY(window.isVisible());
    QVERIFY(!bar->isVisible());
    QVERIFY(progress.count() >= 3);  // 20,000 lakes are a dozen chunks
    int last = 0;
    for (const QList<QVariant>& value : progress) {
        QVERIFY(value.constFirst().toInt() >= last);
        last = value.constFirst().toInt();
    }
    QCOMPARE(last, 1000);
    QCOMPARE(window.model().rowCount(), 20000);
    QCOMPARE(window.windowTitle(), QStringLiteral("Lakes Table - lakes.csv"));
    const std::string output = batchOutput(table).toStdString();
    const auto failed = static_cast<std::size_t>(std::count(output.begin(), output.end(), '!'));
    QCOMPARE(window.model().summary().failed, failed);
    QCOMPARE(window.model().summary().calculated, 20000 - failed);
}

void LakesTableTest::cancelStopsAndKeepsTheTableOnShow()
{
    writeBytes(path("small.csv"), SmallTable);
    writeBytes(path("large.csv"), syntheticLakes(100000, 4));
    Program program;
    program.endStartupScreen();
    LakesTableWindow& window = program.main.lakesTable();
    assess(program, path("small.csv"));
    const batch::ResultTable* shown = window.model().table();
    const QString summary = window.summaryText();

    window.assessFile(path("large.csv"));
    QVERIFY(window.assessing());
    QVERIFY(window.findChild<QProgressBar*>(QStringLiteral("AssessProgress"))->isVisible());
    QVERIFY(!window.findChild<QPushButton*>(QStringLiteral("SaveResultsAsBtn"))->isEnabled());
    QTest::keyClick(window.findChild<QPushButton*>(QStringLiteral("CancelBtn")), Qt::Key_Escape);
    QTRY_VERIFY(!window.assessing() && !window.model().sorting());
    QCOMPARE(window.model().table(), shown);
    QCOMPARE(window.model().rowCount(), 6);
    QCOMPARE(window.summaryText(), summary);
    QCOMPARE(window.windowTitle(), QStringLiteral("Lakes Table - small.csv"));
    QCOMPARE(window.statusBar()->currentMessage(), QStringLiteral("Assessment of large.csv cancelled: the table on show is as it was"));
    QVERIFY(program.dialogs.errors.isEmpty());
    QVERIFY(window.findChild<QPushButton*>(QStringLiteral("SaveResultsAsBtn"))->isEnabled());

    // Closing the window while a table is assessed cancels it as well.
    window.assessFile(path("large.csv"));
    window.close();
    QTRY_VERIFY(!window.assessing() && !window.model().sorting());
    QCOMPARE(window.model().table(), shown);
}

void LakesTableTest::unreadableTablesAreReportedWithTheirFile_data()
{
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<QString>("reason");
    QTest::newRow("empty") << QByteArray("\r\n\r\n") << "The input has no header row.";
    QTest::newRow("no secchi") << QByteArray("name,ecoregion,watershed_area,lake_area,mean_depth,tp,chla\n")
                               << "The header has no secchi_depth column.";
    QTest::newRow("doubled") << QByteArray("ecoregion,TP,Total Phosphorus,watershed_area,lake_area,mean_depth,chla,"
                                           "secchi\n")
                             << "Two columns give total_phosphorus.";
    QTest::newRow("binary") << QByteArray(3 << 20, '\x01') << "The header row is longer than a row may be.";
}

void LakesTableTest::unreadableTablesAreReportedWithTheirFile()
{
    QFETCH(QByteArray, contents);
    QFETCH(QString, reason);
    writeBytes(path("bad.csv"), contents);
    Program program;
    program.endStartupScreen();
    assess(program, path("bad.csv"));
    QCOMPARE(program.dialogs.errors, QStringList{path("bad.csv") + "\n" + reason});
    QCOMPARE(program.main.lakesTable().model().table(), nullptr);
    QCOMPARE(program.main.lakesTable().findChild<QLabel*>(QStringLiteral("LakesSummary"))->text(),
             QStringLiteral("No table yet: File, Assess Lakes Table"));

    // Files that are not there, folders and pipes are refused before anything starts; a pipe
    // without a writer would block the window.
    program.dialogs.errors.clear();
    QVERIFY(::mkfifo(QFile::encodeName(path("pipe.csv")).constData(), 0600) == 0);
    assess(program, path("missing.csv"));
    assess(program, folder_->path());
    assess(program, path("pipe.csv"));
    QCOMPARE(program.dialogs.errors,
             (QStringList{path("missing.csv") + "\nNo such file or directory", folder_->path() + "\nIs a directory",
                          path("pipe.csv") + "\nNot a regular file"}));
}

void LakesTableTest::failedRowsStandOutWithTheirReason()
{
    const std::unique_ptr<Program> started = assessed(SmallTable, "small.csv");
    Program& program = *started;
    const LakesTableModel& model = program.main.lakesTable().model();
    const int status = LakesTableModel::StatusColumn;
    QStringList statuses;
    for (int row = 0; row < model.rowCount(); ++row)
        statuses << model.index(row, status).data().toString();
    QCOMPARE(statuses, (QStringList{"ok", "ok", "Unknown unit \"parsec\"!", "Invalid Input Parameter!", "ok",
                                    "Invalid floating point operation"}));
    for (int row = 0; row < model.rowCount(); ++row) {
        const bool failed = statuses[row] != "ok";
        QCOMPARE(model.index(row, 1).data(Qt::BackgroundRole).isValid(), failed);
        QCOMPARE(model.index(row, status).data(Qt::ForegroundRole).isValid(), failed);
    }
    // The key inputs as the batch read them, units written as the window's selectors list them.
    QCOMPARE(model.index(1, 1).data().toString(), QStringLiteral("Prairie, North"));
    QCOMPARE(model.index(1, 3).data().toString(), QStringLiteral("NGP"));
    QCOMPARE(model.index(1, 4).data().toString(), QStringLiteral("2500 HA"));
    QCOMPARE(model.index(1, 10).data().toString(), QString());  // no alkalinity, so no unit either
    QCOMPARE(model.headerData(model.columnOfResult("tsi_average"), Qt::Horizontal).toString(),
             QStringLiteral("Average TSI"));
    QCOMPARE(model.headerData(model.columnOfResult("inflow_tp_ug_L"), Qt::Horizontal).toString(),
             QStringLiteral("Average TP Inflow (ug/L)"));
}

void LakesTableTest::sortingOrdersNumbersByValueAndEmptyCellsLast()
{
    writeBytes(path("lakes.csv"), syntheticLakes(3000, 8) + SmallTable.mid(SmallTable.indexOf('\n') + 1));
    Program program;
    program.endStartupScreen();
    assess(program, path("lakes.csv"));
    LakesTableWindow& window = program.main.lakesTable();
    LakesTableModel& model = window.model();
    // The lakes are put in order on another thread: the click has returned with the rows as
    // they were, and the window waits until the new order is on show.
    window.view().sortByColumn(model.columnOfResult("tsi_average"), Qt::DescendingOrder);
    QVERIFY(model.sorting());
    QCOMPARE(model.lakeAt(0), 0u);
    QCOMPARE(overrideShape(), Qt::WaitCursor);
    QTRY_VERIFY(!model.sorting());
    QVERIFY(model.lakeAt(0) != 0u);
    QCOMPARE(overrideShape(), Qt::ArrowCursor);
    for (const char* column : {"p_load_kg_yr", "tsi_average", "chla_over_10_observed_pct", "outflow_hm3_yr"}) {
        for (Qt::SortOrder order : {Qt::AscendingOrder, Qt::DescendingOrder}) {
            sortBy(window, model.columnOfResult(column), order);
            double previous = order == Qt::AscendingOrder ? -INFINITY : INFINITY;
            bool emptySeen = false;
            for (int row = 0; row < model.rowCount(); ++row) {
                QString text = model.index(row, model.columnOfResult(column)).data().toString();
                if (text.isEmpty()) {
                    emptySeen = true;
                    continue;
                }
                QVERIFY2(!emptySeen, column);
                const double value = text.remove(',').remove('%').toDouble();
                QVERIFY2(order == Qt::AscendingOrder ? value >= previous : value <= previous, column);
                previous = value;
            }
            QVERIFY(emptySeen);
        }
    }
    // Texts sort as texts, and a sort by the row number restores the input order.
    sortBy(window, 1, Qt::AscendingOrder);
    QVERIFY(model.index(0, 1).data().toString() <= model.index(1, 1).data().toString());
    sortBy(window, 0, Qt::AscendingOrder);
    for (int row = 0; row < model.rowCount(); ++row)
        QCOMPARE(model.lakeAt(row), static_cast<std::size_t>(row));

    // The sort controls do from the keyboard what a click on a column's title does, and show
    // what a click chose.
    auto* sortColumn = window.findChild<QComboBox*>(QStringLiteral("SortColumn"));
    auto* descending = window.findChild<QCheckBox*>(QStringLiteral("SortDescending"));
    QCOMPARE(sortColumn->count(), model.columnCount());
    QTest::keyClick(sortColumn, Qt::Key_Down);
    QCOMPARE(sortColumn->currentText(), QStringLiteral("Lake Name"));
    QTest::keyClick(descending, Qt::Key_Space);
    QTRY_VERIFY(!model.sorting());
    QHeaderView* header = window.view().horizontalHeader();
    QCOMPARE(header->sortIndicatorSection(), 1);
    QCOMPARE(header->sortIndicatorOrder(), Qt::DescendingOrder);
    QVERIFY(model.index(0, 1).data().toString() >= model.index(1, 1).data().toString());
    sortBy(window, model.columnOfResult("tsi_average"), Qt::AscendingOrder);
    QCOMPARE(sortColumn->currentText(), QStringLiteral("Average TSI"));
    QVERIFY(!descending->isChecked());
}

void LakesTableTest::inputsSortBySizeWhateverTheirUnit()
{
    const std::unique_ptr<Program> started = assessed(SmallTable, "small.csv");
    LakesTableWindow& window = started->main.lakesTable();
    const LakesTableModel& model = window.model();
    const auto names = [&] {
        QStringList shown;
        for (int row = 0; row < model.rowCount(); ++row)
            shown << model.index(row, 1).data().toString();
        return shown;
    };
    // 2500 HA are 25 km2; "parsec" is no unit, so its lake goes last.
    sortBy(window, 4, Qt::AscendingOrder);
    QCOMPARE(names(), (QStringList{"Example Lake", "No Depth", "Dry Lake", "Prairie, North", "Clear Lake",
                                   "Wrong Unit"}));
    sortBy(window, 4, Qt::DescendingOrder);
    QCOMPARE(names(), (QStringList{"Clear Lake", "Prairie, North", "Example Lake", "No Depth", "Dry Lake",
                                   "Wrong Unit"}));

    // A very long name takes no more than a third of the view, leaving room for the rest.
    writeBytes(path("long.csv"), SmallTable + QByteArray(100000, 'N') + ",NLF,10,km2,1,km2,5,30,10,2,1,meq/L,,\r\n");
    window.assessFile(path("long.csv"));
    QTRY_VERIFY(!window.assessing() && !window.model().sorting());
    QCOMPARE(model.rowCount(), 7);
    QVERIFY(window.view().columnWidth(1) <= std::max(200, window.view().viewport()->width() / 3));
    QVERIFY(window.view().columnWidth(1) >= window.view().columnWidth(0));

    // Numbers stand to the right, texts to the left.
    const auto alignment = [&](int column) {
        return model.index(0, column).data(Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignHorizontal_Mask;
    };
    QCOMPARE(alignment(0), Qt::AlignRight);
    QCOMPARE(alignment(1), Qt::AlignLeft);
    QCOMPARE(alignment(4), Qt::AlignLeft);
    QCOMPARE(alignment(model.columnOfResult("tsi_average")), Qt::AlignRight);
    QCOMPARE(alignment(model.columnOfResult("cv_tp_ug_L")), Qt::AlignRight);
    typeTarget(window, "tp=20");
    QTRY_VERIFY(!window.assessing() && !window.model().sorting());
    QCOMPARE(alignment(model.columnOfResult("target")), Qt::AlignLeft);
    QCOMPARE(alignment(model.columnOfResult("target_status")), Qt::AlignLeft);
    QCOMPARE(alignment(model.columnOfResult("reduction_pct")), Qt::AlignRight);
}

void LakesTableTest::filtersAndTheSummary()
{
    const std::unique_ptr<Program> started = assessed(SmallTable, "small.csv");
    Program& program = *started;
    LakesTableWindow& window = program.main.lakesTable();
    const LakesTableModel& model = window.model();
    QCOMPARE(window.summaryText(), QStringLiteral("6 lakes: 3 calculated, 3 failed; oligotrophic 1, mesotrophic 0, "
                                                  "eutrophic 1, hypereutrophic 1"));
    const int classColumn = 11;
    QCOMPARE(model.headerData(classColumn, Qt::Horizontal).toString(), QStringLiteral("Trophic Class"));
    QCOMPARE(model.index(0, classColumn).data().toString(), QStringLiteral("eutrophic"));  // TSI 52
    QCOMPARE(model.index(0, model.columnOfResult("tsi_average")).data().toString(), QStringLiteral("52"));

    auto* status = window.findChild<QComboBox*>(QStringLiteral("StatusFilter"));
    auto* region = window.findChild<QComboBox*>(QStringLiteral("EcoregionFilter"));
    auto* trophic = window.findChild<QComboBox*>(QStringLiteral("ClassFilter"));
    chooseFromList(status, "Failed");  // as a user picks it from the list
    QCOMPARE(model.rowCount(), 3);
    QCOMPARE(window.summaryText(), QStringLiteral("3 of 6 lakes shown: 0 calculated, 3 failed; oligotrophic 0, "
                                                  "mesotrophic 0, eutrophic 0, hypereutrophic 0"));
    choose(region, "WCP");
    QCOMPARE(model.rowCount(), 1);
    QCOMPARE(model.index(0, 1).data().toString(), QStringLiteral("No Depth"));
    choose(status, "All");
    QCOMPARE(model.rowCount(), 2);
    choose(trophic, "oligotrophic");
    QCOMPARE(model.rowCount(), 1);
    QCOMPARE(model.index(0, 1).data().toString(), QStringLiteral("Clear Lake"));
    choose(region, "All");
    choose(trophic, "None");
    QCOMPARE(model.rowCount(), 3);
    choose(trophic, "hypereutrophic");
    QCOMPARE(model.rowCount(), 1);
    QCOMPARE(model.index(0, 1).data().toString(), QStringLiteral("Prairie, North"));

    const std::pair<double, TrophicClass> bounds[] = {
        {39.99, TrophicClass::Oligotrophic}, {40, TrophicClass::Mesotrophic},    {49.99, TrophicClass::Mesotrophic},
        {50, TrophicClass::Eutrophic},       {69.99, TrophicClass::Eutrophic},   {70, TrophicClass::Hypereutrophic},
        {-5, TrophicClass::Oligotrophic},    {250, TrophicClass::Hypereutrophic}};
    for (const auto& [index, expected] : bounds)
        QCOMPARE(trophicClassOf(index), std::optional<TrophicClass>(expected));
    QCOMPARE(trophicClassOf(NAN), std::nullopt);
}

void LakesTableTest::doubleClickShowsTheRowsTextsInTheMainWindow()
{
    const std::unique_ptr<Program> started = assessed(SmallTable, "small.csv");
    Program& program = *started;
    LakesTableWindow& window = program.main.lakesTable();
    const LakesTableModel& model = window.model();
    QTableView& view = window.view();
    for (int row : {0, 1, 4}) {
        view.scrollTo(model.index(row, 1));
        // The first click of a double click is a click of its own.
        const QPoint cell = view.visualRect(model.index(row, 1)).center();
        QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, cell);
        QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, cell);
        QVERIFY(program.dialogs.errors.isEmpty());
        QCOMPARE(program.main.ResultsReady(), 1);
        batch::CsvRecord record;
        InputTexts texts;
        model.table()->inputTexts(model.lakeAt(row), record, texts);
        QVERIFY(program.main.gatherInputs().texts == texts.texts);
        for (const ResultSpec& desc : resultTable()) {
            const QString shown =
                desc.page == ResultPage::Predictions ? program.main.CompStringGrid().cell(desc.gridColumn, desc.gridRow)
                : desc.page == ResultPage::ChlrA ? program.main.ChlrStringGrid().cell(desc.gridColumn, desc.gridRow)
                                                 : program.main.controlText(QString::fromLatin1(desc.control));
            QCOMPARE(shown, model.index(row, model.columnOfResult(desc.batchColumn)).data().toString());
        }
    }
    QCOMPARE(program.main.controlText("NameEditBox"), QStringLiteral("Clear Lake"));
    QCOMPARE(program.main.controlText("CVtpEditBox"), model.index(4, model.columnOfResult("cv_tp_ug_L")).data());

    // Return on the current row does the same, and a failed row shows the window's own error.
    view.setCurrentIndex(model.index(3, 0));
    QTest::keyClick(view.viewport(), Qt::Key_Return);
    QCOMPARE(program.main.controlText("NameEditBox"), QStringLiteral("No Depth"));
    QCOMPARE(program.dialogs.errors, QStringList{"Invalid Input Parameter!"});
}

void LakesTableTest::saveWritesWhatTheBatchWrites()
{
    const QByteArray table = SmallTable + syntheticLakes(5000, 11).mid(syntheticLakes(1, 11).indexOf('\n') + 1)
                                              .replace("\n", "\r\n");
    writeBytes(path("lakes.csv"), table);
    Program program;
    program.endStartupScreen();
    assess(program, path("lakes.csv"));
    LakesTableWindow& window = program.main.lakesTable();
    // Sorting and filtering change what is shown, never what is saved.
    sortBy(window, 1, Qt::DescendingOrder);
    chooseFromList(window.findChild<QComboBox*>(QStringLiteral("StatusFilter")), "Failed");
    program.dialogs.saveNames.push_back(path("results.csv"));
    auto* save = window.findChild<QPushButton*>(QStringLiteral("SaveResultsAsBtn"));
    save->click();
    // The rows are written on another thread: the click has returned and the window waits.
    QVERIFY(window.saving());
    QVERIFY(!save->isEnabled());
    QCOMPARE(overrideShape(), Qt::WaitCursor);
    QTRY_VERIFY(!window.saving());
    QVERIFY(save->isEnabled());
    QCOMPARE(overrideShape(), Qt::ArrowCursor);
    QVERIFY(program.dialogs.errors.isEmpty());
    QCOMPARE(program.dialogs.saveStartNames, QStringList{path("lakes_results.csv")});
    QCOMPARE(readBytes(path("results.csv")), batchOutput(table));
    QVERIFY(readBytes(path("results.csv")).startsWith("\xEF\xBB\xBFname,outflow_hm3_yr,"));
}

void LakesTableTest::saveNeverReplacesItsOwnTableOrAFileUnasked()
{
    writeBytes(path("small.csv"), SmallTable);
    writeBytes(path("kept.csv"), "kept");
    Program program;
    program.endStartupScreen();
    LakesTableWindow& window = program.main.lakesTable();
    saveAndWait(window);  // nothing to save yet: no dialog
    QVERIFY(program.dialogs.saveStartNames.isEmpty());
    assess(program, path("small.csv"));

    program.dialogs.saveNames = {path("small.csv"), path("kept.csv"), path("kept.csv")};
    program.dialogs.replaceAnswers = {false, true};
    saveAndWait(window);
    QCOMPARE(program.dialogs.errors,
             QStringList{path("small.csv") + "\nThe results would replace the table they were assessed from."});
    QCOMPARE(readBytes(path("small.csv")), SmallTable);
    saveAndWait(window);
    QCOMPARE(readBytes(path("kept.csv")), QByteArray("kept"));
    saveAndWait(window);
    QCOMPARE(readBytes(path("kept.csv")), batchOutput(SmallTable));
    QCOMPARE(program.dialogs.replaceQuestions, (QStringList{path("kept.csv"), path("kept.csv")}));
    QCOMPARE(program.dialogs.saveStartNames.last(), path("kept.csv"));
}

void LakesTableTest::aTargetAddsEveryLakesLoadResponseAsTheBatchWritesIt()
{
    const QByteArray table = SmallTable + syntheticLakes(2000, 5).mid(syntheticLakes(1, 5).indexOf('\n') + 1)
                                              .replace("\n", "\r\n");
    const std::unique_ptr<Program> started = assessed(table, "lakes.csv");
    Program& program = *started;
    LakesTableWindow& window = program.main.lakesTable();
    const LakesTableModel& model = window.model();
    auto* anchor = window.findChild<QCheckBox*>(QStringLiteral("AnchorCheckBox"));
    QCOMPARE(targetSelector(window)->currentText(), QStringLiteral("No target"));
    QVERIFY(!anchor->isEnabled());
    const int plainColumns = model.columnCount();
    const auto saved = [&] {
        program.dialogs.saveNames.push_back(path("results.csv"));
        program.dialogs.replaceAnswers.push_back(true);
        saveAndWait(window);
        return readBytes(path("results.csv"));
    };

    typeTarget(window, "TP=20");
    QVERIFY(window.assessing());
    QTRY_VERIFY_WITH_TIMEOUT(!window.assessing(), 60000);
    QVERIFY(program.dialogs.errors.isEmpty());
    QVERIFY(anchor->isEnabled() && anchor->isChecked());
    QCOMPARE(model.columnCount(), plainColumns + 14);
    QCOMPARE(model.headerData(model.columnOfResult("target_status"), Qt::Horizontal).toString(),
             QStringLiteral("Target Status"));
    QCOMPARE(model.headerData(model.columnOfResult("reduction_pct"), Qt::Horizontal).toString(),
             QStringLiteral("Watershed load reduction (%)"));
    QCOMPARE(model.headerData(model.columnOfResult("allowable_load_kg_yr"), Qt::Horizontal).toString(),
             QStringLiteral("Allowable load (kg/yr)"));
    QByteArray expected = batchOutput(table, {"--target", "TP=20"});
    QCOMPARE(saved(), expected);
    for (const char* column : {"target", "target_status", "reduction_pct", "allowable_load_kg_yr"}) {
        const QStringList texts = outputColumn(expected, column);
        for (int row : {0, 1, 4, 5, 1000})
            QCOMPARE(model.index(row, model.columnOfResult(column)).data().toString(), texts[row]);
    }

    // The model's own predictions, from the keyboard.
    QTest::keyClick(anchor, Qt::Key_Space);
    QTRY_VERIFY_WITH_TIMEOUT(!window.assessing(), 60000);
    QCOMPARE(window.tableResponse()->mode, std::string("model"));
    expected = batchOutput(table, {"--target", "TP=20", "--model"});
    QVERIFY(expected != batchOutput(table, {"--target", "TP=20"}));
    QCOMPARE(saved(), expected);

    for (const QString& desc : {QStringLiteral("ecoregion"), QStringLiteral("freq=20:10")}) {
        chooseFromList(targetSelector(window), desc);
        QTRY_VERIFY_WITH_TIMEOUT(!window.assessing(), 60000);
        QCOMPARE(saved(), batchOutput(table, {"--target", desc, "--model"}));
    }

    // No target gives the table without the load response, as the batch writes it without one.
    chooseFromList(targetSelector(window), "No target");
    QTRY_VERIFY_WITH_TIMEOUT(!window.assessing(), 60000);
    QCOMPARE(model.columnCount(), plainColumns);
    QVERIFY(!anchor->isEnabled());
    QVERIFY(!window.tableResponse());
    QCOMPARE(saved(), batchOutput(table));
    QVERIFY(program.dialogs.errors.isEmpty());
}

void LakesTableTest::targetColumnsAreFilteredSortedAndSummedUp()
{
    writeBytes(path("small.csv"), SmallTable);
    Program program;
    program.endStartupScreen();
    LakesTableWindow& window = program.main.lakesTable();
    // A target chosen before any table is taken for the next one.
    typeTarget(window, "tp=5");
    QVERIFY(!window.assessing());
    assess(program, path("small.csv"));
    const QByteArray output = batchOutput(SmallTable, {"--target", "tp=5"});
    const QStringList goals = outputColumn(output, "target_status");
    QCOMPARE(goals, (QStringList{"unreachable", "unreachable", "", "", "needed", ""}));
    QCOMPARE(window.summaryText(), QStringLiteral("6 lakes: 3 calculated, 3 failed; oligotrophic 1, mesotrophic 0, "
                                                  "eutrophic 1, hypereutrophic 1; target met 0, needed 1, "
                                                  "unreachable 2"));

    const LakesTableModel& model = window.model();
    auto* goalFilter = window.findChild<QComboBox*>(QStringLiteral("GoalFilter"));
    QVERIFY(goalFilter->isEnabled());
    chooseFromList(goalFilter, "unreachable");
    QCOMPARE(model.rowCount(), 2);
    QCOMPARE(model.index(1, 1).data().toString(), QStringLiteral("Prairie, North"));
    chooseFromList(goalFilter, "None");
    QCOMPARE(model.rowCount(), 3);
    QCOMPARE(window.summaryText(), QStringLiteral("3 of 6 lakes shown: 0 calculated, 3 failed; oligotrophic 0, "
                                                  "mesotrophic 0, eutrophic 0, hypereutrophic 0; target met 0, "
                                                  "needed 0, unreachable 0"));
    chooseFromList(goalFilter, "All");

    // Numbers by value, then "NA" (no cut reaches the target), then empty cells.
    const int reduction = model.columnOfResult("reduction_pct");
    sortBy(window, reduction, Qt::DescendingOrder);
    QStringList cuts;
    for (int row = 0; row < model.rowCount(); ++row)
        cuts << model.index(row, reduction).data().toString();
    QCOMPARE(cuts, (QStringList{"60.1", "NA", "NA", "", "", ""}));

    // Another target keeps the sort, the filters and the lake the user was at; a table without
    // one drops the target filter.
    window.view().setCurrentIndex(model.index(4, 3));
    const std::size_t lake = model.lakeAt(4);
    typeTarget(window, "tp=20");
    QTRY_VERIFY(!window.assessing() && !window.model().sorting());
    QCOMPARE(model.lakeAt(window.view().currentIndex().row()), lake);
    QCOMPARE(window.view().currentIndex().column(), 3);
    QCOMPARE(window.view().horizontalHeader()->sortIndicatorSection(), reduction);
    QCOMPARE(model.index(0, reduction).data().toString(), QStringLiteral("98.5"));
    chooseFromList(goalFilter, "needed");
    QCOMPARE(model.rowCount(), 2);
    QCOMPARE(model.index(1, reduction).data().toString(), QStringLiteral("47.5"));
    typeTarget(window, "tp=5");
    QTRY_VERIFY(!window.assessing() && !window.model().sorting());
    QCOMPARE(goalFilter->currentText(), QStringLiteral("needed"));
    QCOMPARE(model.rowCount(), 1);
    QCOMPARE(model.index(0, 1).data().toString(), QStringLiteral("Clear Lake"));
    typeTarget(window, "No target");
    QTRY_VERIFY(!window.assessing() && !window.model().sorting());
    QVERIFY(!goalFilter->isEnabled());
    QCOMPARE(goalFilter->currentText(), QStringLiteral("All"));
    QCOMPARE(model.rowCount(), 6);
}

void LakesTableTest::unreadableTargetsAndFailedReassessmentsKeepTheTable()
{
    const std::unique_ptr<Program> started = assessed(SmallTable, "small.csv");
    Program& program = *started;
    LakesTableWindow& window = program.main.lakesTable();
    const batch::ResultTable* shown = window.model().table();
    for (const char* text : {"tp=abc", "freq=20", "bogus", "tp=-1", "ecoregion=3", "freq=20:200"})
        typeTarget(window, text);
    QCOMPARE(program.dialogs.errors,
             (QStringList{"The target \"tp=abc\" needs a number after \"tp=\".",
                          "The target \"freq=20\" is not freq=B:P with two numbers, such as freq=20:10.",
                          "Unknown target \"bogus\": give tp=V, chla=V, secchi=V, tsi=V, freq=B:P or ecoregion.",
                          "The tp target must be above 0 ug/L.",
                          "The ecoregion target takes no value: give just \"ecoregion\".",
                          "The percentage P of freq=B:P must be above 0 and at most 100: chlorophyll a is above any level "
                          "some of the time."}));
    QVERIFY(!window.assessing());
    QCOMPARE(window.model().table(), shown);
    QCOMPARE(targetSelector(window)->currentText(), QStringLiteral("No target"));

    // A re-assessment that is cancelled, or whose file has gone, leaves the table and its
    // target as they were.
    program.dialogs.errors.clear();
    writeBytes(path("small.csv"), SmallTable + syntheticLakes(100000, 6).mid(SmallTable.indexOf('\n') + 1));
    typeTarget(window, "chla=8");
    QVERIFY(window.assessing());
    window.CancelBtnClick();
    QTRY_VERIFY(!window.assessing() && !window.model().sorting());
    QCOMPARE(window.model().table(), shown);
    QCOMPARE(targetSelector(window)->currentText(), QStringLiteral("No target"));
    QVERIFY(!window.tableResponse());
    QVERIFY(QFile::remove(path("small.csv")));
    typeTarget(window, "chla=8");
    QCOMPARE(program.dialogs.errors, QStringList{path("small.csv") + "\nNo such file or directory"});
    QVERIFY(!window.assessing());
    QCOMPARE(window.model().table(), shown);
    QCOMPARE(targetSelector(window)->currentText(), QStringLiteral("No target"));
}

namespace {

// The window's own titles, a semicolon between fields and decimal commas, as a spreadsheet
// saves the table where the comma is the decimal separator; a blank line and a name over two
// lines, which a spreadsheet counts as one row.
const QByteArray SemicolonTable = "Lake Name;Ecoregion;Watershed Area;Surface Area;Mean Depth (ft);Total Phosphorus;"
                                  "Chlorophyll a;Secchi Disk;Colour;Notes\n"
                                  "First;NLF;10,5;1;16,4;30;10;2;brown;\n"
                                  "\n"
                                  "\"Second\nof two lines\";NLF;10;1;5;30;10;2,5;;\n"
                                  "Third;WCP;40;8;12;8;2;6;green;deep\n";

}  // namespace

void LakesTableTest::aSemicolonTableShowsItsSpreadsheetRowsAndIgnoredColumns()
{
    const std::unique_ptr<Program> started = assessed(SemicolonTable, "semicolon.csv");
    const LakesTableWindow& window = started->main.lakesTable();
    const LakesTableModel& model = window.model();
    QVERIFY(started->dialogs.errors.isEmpty());
    QStringList rows;
    for (int row = 0; row < model.rowCount(); ++row)
        rows << model.index(row, 0).data().toString();
    QCOMPARE(rows, (QStringList{"2", "4", "5"}));
    QCOMPARE(model.index(0, 1).data().toString(), QStringLiteral("First"));
    QCOMPARE(model.index(0, 4).data().toString(), QStringLiteral("10.5 km2"));
    QCOMPARE(model.index(0, 6).data().toString(), QStringLiteral("16.4 ft"));  // the title's unit
    QCOMPARE(model.summary().failed, 0u);
    const auto* ignored = window.findChild<QLabel*>(QStringLiteral("IgnoredColumns"));
    QVERIFY(ignored->isVisible());
    QVERIFY(ignored->text().contains(QString::fromUtf8("\u201CColour\u201D, \u201CNotes\u201D")));

    // Saved as the batch writes it: with semicolons and decimal commas, as the table came.
    started->dialogs.saveNames.push_back(path("results.csv"));
    started->main.lakesTable().SaveResultsAsClick();
    QCOMPARE(readBytes(path("results.csv")), batchOutput(SemicolonTable));
    QVERIFY(readBytes(path("results.csv")).startsWith("name;outflow_hm3_yr;"));
}

void LakesTableTest::ctrlCCopiesTheSelectedRowsUnderTheTitles()
{
    const std::unique_ptr<Program> started = assessed(SmallTable, "small.csv");
    LakesTableWindow& window = started->main.lakesTable();
    const LakesTableModel& model = window.model();
    QTableView& view = window.view();
    view.setFocus();
    view.selectRow(1);
    view.selectionModel()->select(model.index(4, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    QTest::keyClick(&view, Qt::Key_C, Qt::ControlModifier);
    QStringList lines = QGuiApplication::clipboard()->text().split('\n');
    QCOMPARE(lines.takeLast(), QString());
    QCOMPARE(lines.size(), 3);
    QStringList titles;
    for (int column = 0; column < model.columnCount(); ++column)
        titles << model.headerData(column, Qt::Horizontal).toString();
    QCOMPARE(lines[0], titles.join('\t'));
    for (int line = 1; line < 3; ++line) {
        const int row = line == 1 ? 1 : 4;
        QStringList cells;
        for (int column = 0; column < model.columnCount(); ++column)
            cells << model.index(row, column).data().toString();
        // The name "Prairie, North" needs no quotes between tabs.
        QCOMPARE(lines[line], cells.join('\t'));
    }
    QVERIFY(lines[1].startsWith(QStringLiteral("3\tPrairie, North\tok\tNGP\t")));
}

void LakesTableTest::columnsAreAsWideAsTheirLongestTextInAnyRow()
{
    // The row the view would not measure holds the longest status and input.
    QByteArray table = "name,ecoregion,watershed_area,watershed_area_unit,lake_area,mean_depth,tp,chla,secchi\n";
    for (int lake = 0; lake < 1000; ++lake)
        table += "Lake,NLF,10,km2,1,5,30,10,2\n";
    table += "Far,NLF,1000000.000001,furlongs2,1,5,30,10,2\n";
    const std::unique_ptr<Program> started = assessed(table, "wide.csv");
    const LakesTableWindow& window = started->main.lakesTable();
    const QTableView& view = window.view();
    const QFontMetrics metrics = view.fontMetrics();
    QCOMPARE(window.model().index(1000, LakesTableModel::StatusColumn).data().toString(),
             QStringLiteral("Unknown unit \"furlongs2\"!"));
    QVERIFY(view.columnWidth(LakesTableModel::StatusColumn) > metrics.horizontalAdvance("Unknown unit \"furlongs2\"!"));
    QVERIFY(view.columnWidth(4) > metrics.horizontalAdvance("1000000.000001"));
}

QTEST_MAIN(LakesTableTest)
#include "test_gui_lakestable.moc"
