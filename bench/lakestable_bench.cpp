// The table window with a large table of lakes: the time from choosing the file to the whole
// table on show, the peak memory of the program then, the time the view takes to draw a
// page after a jump, a sort, a filter and a save, and the table assessed again with a target
// (both tables held while the new one is made). The goal for a million lakes: on show in
// under 10 s, in under 1 GB.
//
// usage: lakestable_bench [lakes.csv]   (default: a million synthetic lakes, written to /tmp
//                                         first, as trophex-cli batch --generate 1000000 writes)

#include "batch/lakegenerator.h"
#include "batch/resulttable.h"
#include "ui/dialogs.h"
#include "ui/lakestablemodel.h"
#include "ui/lakestablewindow.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QScrollBar>
#include <QTimer>
#include <QTableView>

#include <sys/resource.h>

#include <cstdio>
#include <functional>
#include <fstream>
#include <random>
#include <string>

using namespace trophex;
using namespace trophex::ui;

namespace {

// Answers every dialog as cancelled; the bench saves through a chosen name only.
class NoDialogs : public UserDialogs {
public:
    QString saveName;  // the answer of the save dialog
    QString openFileName(QWidget*, const QString&) override { return {}; }
    QString saveFileName(QWidget*, const QString&) override { return {}; }
    QString openTableName(QWidget*, const QString&) override { return {}; }
    QString saveTableName(QWidget*, const QString&) override { return saveName; }
    QString exportFileName(QWidget*, const QString&, const QString&, const QStringList&) override { return {}; }
    bool confirmReplace(QWidget*, const QString&) override { return true; }
    void showError(QWidget*, const QString& message) override
    {
        std::fprintf(stderr, "error: %s\n", qPrintable(message));
    }
    bool confirmPrint(QWidget*, QPrinter&) override { return false; }
    void setUpPrinter(QWidget*, QPrinter&) override {}
};

// The bench's files go to the system's temporary folder (TMPDIR).
QString benchFile(const std::string& name)
{
    return QDir::temp().filePath(QString::fromStdString(name));
}

std::string syntheticTable(std::uint64_t lakes)
{
    const std::string path = benchFile("lakestable_bench_" + std::to_string(lakes) + ".csv").toStdString();
    std::ofstream out(path, std::ios::binary);
    batch::writeSyntheticLakes(lakes, 1, [&](std::string_view bytes) { out.write(bytes.data(), std::streamsize(bytes.size())); });
    return path;
}

long peakMegabytes()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stol(line.substr(6)) / 1024;
    return 0;
}

// Processor time of every thread of the process so far: the figure that another program's
// load on a shared machine does not change.
double processorSeconds()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double millisecondsOf(const std::function<void()>& action)
{
    QElapsedTimer timer;
    timer.start();
    action();
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

// The slowest of the pages drawn after jumps to random rows.
double slowestPageAfterJumps(QTableView& view, int jumps)
{
    std::mt19937 random(7);
    double slowest = 0;
    QScrollBar* bar = view.verticalScrollBar();
    for (int i = 0; i < jumps; ++i) {
        const int to = static_cast<int>(random() % static_cast<unsigned>(bar->maximum() + 1));
        slowest = std::max(slowest, millisecondsOf([&] {
            bar->setValue(to);
            view.viewport()->repaint();
        }));
    }
    return slowest;
}

// Runs the event loop until done() holds, then draws the table.
void waitUntil(LakesTableWindow& window, const std::function<bool()>& done)
{
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    poll.start(10);
    loop.exec();
    window.view().viewport()->repaint();
}

// Waits until the assessment going on has ended and its table is drawn in its order.
void waitForTable(LakesTableWindow& window)
{
    waitUntil(window, [&] { return !window.assessing() && !window.model().sorting(); });
}

// Times a command that leaves its work to another thread: until the work is done, and how
// long the command held the window's thread.
void timeCommand(const char* what, LakesTableWindow& window, const std::function<void()>& command,
                 const std::function<bool()>& done)
{
    double held = 0;
    const double total = millisecondsOf([&] {
        held = millisecondsOf(command);
        waitUntil(window, done);
    });
    std::printf("%-26s%.2f s (window's thread held %.1f ms)\n", what, total / 1000, held);
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    QApplication application(argc, argv);
    const std::string path = argc > 1 ? argv[1] : syntheticTable(1000000);
    NoDialogs dialogs;
    LakesTableWindow window(dialogs, NumberFormat{}, [](const InputTexts&) {});
    window.show();

    const double processorBefore = processorSeconds();
    const double load = millisecondsOf([&] {
        window.assessFile(QString::fromStdString(path));
        waitForTable(window);
    });
    const LakesTableModel& model = window.model();
    std::printf("lakes on show:            %d\n", model.rowCount());
    std::printf("load, file to table:      %.2f s (processor time %.2f s)\n", load / 1000,
                processorSeconds() - processorBefore);
    std::printf("peak memory after load:   %ld MB\n", peakMegabytes());
    std::printf("table kept:               %zu MB\n", model.table()->memoryBytes() >> 20);
    std::printf("slowest page of 200 jumps: %.1f ms\n", slowestPageAfterJumps(window.view(), 200));
    std::printf("longest texts of columns: %.2f s (part of the load)\n",
                millisecondsOf([&] { model.longestTexts(); }) / 1000);
    const int tsi = model.columnOfResult("tsi_average");
    const auto sorted = [&] { return !model.sorting(); };
    timeCommand("sort by average TSI:", window, [&] { window.view().sortByColumn(tsi, Qt::DescendingOrder); }, sorted);
    timeCommand("sort by lake name:", window, [&] { window.view().sortByColumn(1, Qt::AscendingOrder); }, sorted);
    auto* status = window.findChild<QComboBox*>(QStringLiteral("StatusFilter"));
    std::printf("filter failed rows:       %.1f ms\n", millisecondsOf([&] { status->setCurrentIndex(2); }));
    std::printf("slowest page, sorted:     %.1f ms\n", slowestPageAfterJumps(window.view(), 200));
    dialogs.saveName = benchFile("lakestable_bench_results.csv");
    timeCommand("save results:", window, [&] { window.SaveResultsAsClick(); }, [&] { return !window.saving(); });
    std::printf("peak memory before target: %ld MB\n", peakMegabytes());
    auto* target = window.findChild<QComboBox*>(QStringLiteral("TargetSelector"));
    const double processorBeforeTarget = processorSeconds();
    const double retarget = millisecondsOf([&] {
        target->setEditText(QStringLiteral("tp=20"));
        window.targetChosen();
        waitForTable(window);
    });
    std::printf("target tp=20, sorted again: %.2f s (processor time %.2f s)\n", retarget / 1000,
                processorSeconds() - processorBeforeTarget);
    std::printf("table kept with target:   %zu MB\n", model.table()->memoryBytes() >> 20);
    std::printf("peak memory at the end:   %ld MB\n", peakMegabytes());
    return 0;
}
