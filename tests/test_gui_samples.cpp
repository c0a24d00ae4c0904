// Monitoring samples in the table of lakes: imported from the File menu with their lakes
// table (assessed) or without (each site a lake, not assessed), the skipped samples in the
// summary line, re-assessed with a target, and the trend view of a lake.

#include "tests/gui_test_support.h"

#include "samples/samplesrun.h"
#include "ui/lakestablemodel.h"
#include "ui/lakestablewindow.h"
#include "ui/mainform.h"
#include "ui/trendwindow.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

using namespace trophex;
using namespace trophex::ui;
using namespace trophex::ui::testing;

namespace {

// Imports through the main window's menu item, answering the two file dialogs, and waits.
void import(Program& program, const QString& samples, const QString& lakes)
{
    program.dialogs.openNames.push_back(samples);
    program.dialogs.openNames.push_back(lakes);
    program.main.findChild<QAction*>(QStringLiteral("ImportMonitoringSamples1"))->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(!program.main.lakesTable().assessing(), 60000);
}

QString cell(const LakesTableWindow& window, int row, const QString& title)
{
    const LakesTableModel& model = window.model();
    for (int column = 0; column < model.columnCount(); ++column)
        if (model.headerData(column, Qt::Horizontal).toString() == title)
            return model.data(model.index(row, column)).toString();
    return QStringLiteral("no column %1").arg(title);
}

}  // namespace

class SamplesWindowTest : public QObject {
    Q_OBJECT

private slots:
    void importWithLakesTableAssessesEveryLakeYear();
    void importWithoutLakesTableListsTheSitesUnassessed();
    void aTargetReassessesTheSamples();
    void theTrendViewAnswersInWordsAndSavesItsChart();
    void unreadableSamplesAreReportedAndKeepTheTable();
};

void SamplesWindowTest::importWithLakesTableAssessesEveryLakeYear()
{
    Program program;
    program.endStartupScreen();
    import(program, sourcePath("examples/samples_wqp.csv"), sourcePath("examples/samples_lakes.csv"));
    const LakesTableWindow& window = program.main.lakesTable();
    QVERIFY(program.dialogs.errors.isEmpty());
    QCOMPARE(window.model().rowCount(), 4);
    QCOMPARE(cell(window, 0, QStringLiteral("Lake Name")), QStringLiteral("Clear Lake 2021"));
    QCOMPARE(cell(window, 3, QStringLiteral("Status")), QStringLiteral("ok"));
    QVERIFY(window.summaryText().contains(QStringLiteral("Samples: 49 rows read, 42 results accepted, 7 skipped")));
    QVERIFY(window.findChild<QAction*>(QStringLiteral("Trend1"))->isEnabled());
}

void SamplesWindowTest::importWithoutLakesTableListsTheSitesUnassessed()
{
    Program program;
    program.endStartupScreen();
    import(program, sourcePath("examples/samples_long.csv"), QString());
    const LakesTableWindow& window = program.main.lakesTable();
    QVERIFY(program.dialogs.errors.isEmpty());
    // The sites CL-1, CL-2 and ML-1 are lakes of their own: CL-1 and ML-1 in two years.
    QCOMPARE(window.model().rowCount(), 5);
    QCOMPARE(cell(window, 0, QStringLiteral("Lake Name")), QStringLiteral("CL-1 2021"));
    QVERIFY(cell(window, 0, QStringLiteral("Status")) != QStringLiteral("ok"));
    QCOMPARE(window.samplesOnShow()->lakeNames.size(), 3u);
}

void SamplesWindowTest::aTargetReassessesTheSamples()
{
    Program program;
    program.endStartupScreen();
    import(program, sourcePath("examples/samples_wide.csv"), sourcePath("examples/samples_lakes.csv"));
    LakesTableWindow& window = program.main.lakesTable();
    auto* target = window.findChild<QComboBox*>(QStringLiteral("TargetSelector"));
    typeInto(target, QStringLiteral("tp=20"));
    QTest::keyClick(target->lineEdit(), Qt::Key_Return);
    QTRY_VERIFY_WITH_TIMEOUT(!window.assessing(), 60000);
    QVERIFY(program.dialogs.errors.isEmpty());
    QVERIFY(window.tableResponse().has_value());
    QCOMPARE(window.model().rowCount(), 4);
    QVERIFY(window.samplesOnShow() != nullptr);
}

void SamplesWindowTest::theTrendViewAnswersInWordsAndSavesItsChart()
{
    Program program;
    program.endStartupScreen();
    import(program, sourcePath("examples/samples_wqp.csv"), sourcePath("examples/samples_lakes.csv"));
    LakesTableWindow& window = program.main.lakesTable();
    window.view().setCurrentIndex(window.model().index(2, 0));  // Mud Lake 2021
    window.findChild<QAction*>(QStringLiteral("Trend1"))->trigger();
    TrendWindow* trend = window.trendWindow();
    QVERIFY(trend && trend->isVisible());
    QCOMPARE(trend->lake().lakeName, QStringLiteral("Mud Lake"));
    QCOMPARE(trend->lake().trends.size(), 4u);
    QVERIFY(trend->answerText().startsWith(QStringLiteral("Total phosphorus index: too few years over 2 years")));

    const QTemporaryDir folder;
    const QString picture = folder.filePath(QStringLiteral("trend.svg"));
    program.dialogs.exportNames.push_back(picture);
    trend->findChild<QAction*>(QStringLiteral("SaveTrendChart1"))->trigger();
    QVERIFY(program.dialogs.errors.isEmpty());
    QVERIFY(readBytes(picture).contains("Mud Lake"));
}

void SamplesWindowTest::unreadableSamplesAreReportedAndKeepTheTable()
{
    Program program;
    program.endStartupScreen();
    import(program, sourcePath("examples/samples_wqp.csv"), sourcePath("examples/samples_lakes.csv"));
    // A lakes table is no samples table: its alkalinity column makes it look like the wide form.
    import(program, sourcePath("examples/samples_lakes.csv"), QString());
    const LakesTableWindow& window = program.main.lakesTable();
    QCOMPARE(program.dialogs.errors.size(), 1);
    QVERIFY2(program.dialogs.errors.front().contains(QStringLiteral("The header has no site column.")),
             qPrintable(program.dialogs.errors.front()));
    QCOMPARE(window.model().rowCount(), 4);
    QVERIFY(window.samplesOnShow() != nullptr);
}

QTEST_MAIN(SamplesWindowTest)
#include "test_gui_samples.moc"
