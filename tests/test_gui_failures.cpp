// The desktop program when something goes wrong beyond a bad input: a data file of 3 GB,
// and an exception that escapes an event handler. Each shows the error box, and the
// program goes on working.

#include "tests/gui_test_support.h"
#include "tests/peak_memory.h"

#include "files/datafile.h"
#include "ui/application.h"
#include "ui/mainform.h"

#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <new>
#include <stdexcept>

using namespace trophex::ui;
using namespace trophex::ui::testing;

namespace {

constexpr qint64 ThreeGigabytes = qint64{3} << 30;

// Runs a task on each event of type QEvent::User it receives.
class TaskReceiver : public QObject {
public:
    explicit TaskReceiver(std::function<void()> task) : task_(std::move(task)) {}

    bool event(QEvent* event) override
    {
        if (event->type() != QEvent::User)
            return QObject::event(event);
        task_();
        return true;
    }

private:
    std::function<void()> task_;  // what the event runs
};

}  // namespace

class FailuresTest : public QObject {
    Q_OBJECT

public:
    // applicationDialogs: the dialogs of the application object, where escaping exceptions go.
    explicit FailuresTest(ScriptedDialogs& applicationDialogs) : applicationDialogs_(applicationDialogs) {}

private slots:
    void init();
    void openingAThreeGigabyteFileShowsTheErrorAndChangesNothing();
    void anExceptionFromAnEventHandlerShowsTheErrorBox();
    void anExceptionFromAButtonsHandlerLeavesTheWindowWorking();

private:
    ScriptedDialogs& applicationDialogs_;   // the application object's dialogs
    std::unique_ptr<QTemporaryDir> folder_;  // this test's files
};

void FailuresTest::init()
{
    applicationDialogs_.errors.clear();
    folder_ = std::make_unique<QTemporaryDir>();
    QVERIFY(folder_->isValid());
}

void FailuresTest::openingAThreeGigabyteFileShowsTheErrorAndChangesNothing()
{
    // The header, then a hole of zero bytes without a line end: read up to the limit of a
    // file's readable part and refused.
    const QString huge = folder_->filePath("huge.tpx");
    QFile file(huge);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write("TROPHEX 1.0 Data File\r\n"), qint64{23});
    QVERIFY(file.resize(ThreeGigabytes));
    file.close();

    Program program;
    program.endStartupScreen();
    enterWorkedExample(program.main);
    program.main.CalcButtonClick();
    const Snapshot before = snapshot(program.main);
    program.dialogs.openNames.push_back(huge);
    const std::optional<std::size_t> growth = trophex::memory::peakMemoryGrowth([&] { program.main.OpenBtnClick(); });
    QCOMPARE(program.dialogs.errors, QStringList({"Invalid Input File!"}));
    if (growth)
        QVERIFY2(*growth < trophex::MaxReadableBytes + (64u << 20), qPrintable(QString::number(*growth)));
    QVERIFY(snapshot(program.main) == before);

    editBox(&program.main, "DepthEditBox")->setText("10");
    program.main.CalcButtonClick();
    QCOMPARE(program.dialogs.errors.size(), 1);
    QCOMPARE(program.main.ResultsReady(), 1);
    QVERIFY(!(snapshot(program.main) == before));
    QVERIFY(applicationDialogs_.errors.isEmpty());
}

void FailuresTest::anExceptionFromAnEventHandlerShowsTheErrorBox()
{
    TaskReceiver failing([] { throw std::runtime_error("the chart could not be drawn"); });
    QEvent sent(QEvent::User);
    QCoreApplication::sendEvent(&failing, &sent);
    QCOMPARE(applicationDialogs_.errors, QStringList({"the chart could not be drawn"}));

    TaskReceiver outOfMemory([] { throw std::bad_alloc(); });
    QCoreApplication::postEvent(&outOfMemory, new QEvent(QEvent::User));
    QCoreApplication::postEvent(&outOfMemory, new QEvent(QEvent::User));
    QCoreApplication::processEvents();
    QCOMPARE(applicationDialogs_.errors,
             QStringList({"the chart could not be drawn", "Out of memory!", "Out of memory!"}));
}

void FailuresTest::anExceptionFromAButtonsHandlerLeavesTheWindowWorking()
{
    Program program;
    program.endStartupScreen();
    enterWorkedExample(program.main);
    QPushButton failing("Fail", &program.main);
    failing.show();
    int clicks = 0;
    QObject::connect(&failing, &QPushButton::clicked, [&] {
        ++clicks;
        throw std::runtime_error("Floating point overflow");
    });
    QTest::mouseClick(&failing, Qt::LeftButton);
    QTest::mouseClick(&failing, Qt::LeftButton);
    QCOMPARE(clicks, 2);
    QCOMPARE(applicationDialogs_.errors, QStringList({"Floating point overflow", "Floating point overflow"}));

    QTest::mouseClick(program.main.findChild<QPushButton*>("CalcButton"), Qt::LeftButton);
    QCOMPARE(program.main.ResultsReady(), 1);
    QVERIFY(program.dialogs.errors.isEmpty());
}

int main(int argc, char** argv)
{
    ScriptedDialogs applicationDialogs;
    TrophexApplication application(argc, argv, applicationDialogs);
    application.setAttribute(Qt::AA_Use96Dpi, true);
    FailuresTest test(applicationDialogs);
    return QTest::qExec(&test, argc, argv);
}

#include "test_gui_failures.moc"
