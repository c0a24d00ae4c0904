#include "ui/startup.h"

#include "ui/aboutbox.h"
#include "ui/calibrateform.h"
#include "ui/chartexport.h"
#include "ui/chartwindow.h"
#include "ui/filedialog.h"
#include "ui/filedrop.h"
#include "ui/helpviewer.h"
#include "ui/loadresponsepage.h"
#include "ui/mainform.h"
#include "ui/recentfiles.h"
#include "ui/responsechartfigure.h"
#include "ui/responsechartview.h"
#include "ui/resultscopy.h"
#include "ui/resultsexport.h"
#include "ui/tsichart.h"
#include "ui/tsichartfigure.h"
#include "ui/widgets.h"

#include <QFileInfo>
#include <QLoggingCategory>
#include <QMenu>
#include <QWindow>

namespace trophex::ui {

TrophexWindows::TrophexWindows() = default;
TrophexWindows::TrophexWindows(TrophexWindows&&) noexcept = default;
TrophexWindows::~TrophexWindows() = default;

namespace {

// What start-up found and did, for checking an installation:
// QT_LOGGING_RULES="trophex.startup.debug=true" shows it on the error stream.
Q_LOGGING_CATEGORY(startupLog, "trophex.startup", QtInfoMsg)

// Keeps a secondary window above the main window on desktops that stack windows.
void stayAbove(QWidget& window, QWidget& mainWindow)
{
    window.winId();
    window.windowHandle()->setTransientParent(mainWindow.windowHandle());
}

// What the main window offers beyond its own commands, each item after the items of its
// menu: exporting the results, saving the charts, each chart in a window of its own on a
// double click, the recent files, copying results, and opening dropped data files.
void addDesktopCommands(TrophexWindows& windows, UserDialogs& dialogs)
{
    TMainForm& mainForm = *windows.MainForm;
    QMenu& fileMenu = *mainForm.findChild<QMenu*>(QStringLiteral("File1"));
    new ResultsExport(mainForm, fileMenu, dialogs);
    const auto tsiReady = [&mainForm] { return mainForm.ResultsReady() == 1; };
    auto* chartExport = new ChartExporter(dialogs, mainForm, std::make_unique<TsiChartFigure>(mainForm), tsiReady);
    chartExport->offerIn(*mainForm.PaintBox1().parentWidget(), fileMenu, QStringLiteral("SaveChart1"));
    auto* tsiWindow = new ChartWindow(mainForm.PaintBox1(), std::make_unique<TsiChartFigure>(mainForm), tsiReady,
                                      QObject::tr("Trophic State Chart"), mainForm);
    TLoadResponsePage& responsePage = mainForm.LoadResponsePage();
    const auto responseReady = [&responsePage] { return responsePage.response().has_value(); };
    auto* responseChartExport = new ChartExporter(
        dialogs, mainForm, std::make_unique<ResponseChartFigure>(responsePage.chart()), responseReady);
    responseChartExport->offerIn(responsePage.chart(), fileMenu, QStringLiteral("SaveResponseChart1"),
                                 QObject::tr("Save &Load Response Chart\u2026"));
    auto* responseWindow =
        new ChartWindow(responsePage.chart(), std::make_unique<ResponseChartFigure>(responsePage.chart()),
                        responseReady, QObject::tr("Load Response Chart"), mainForm);
    // A calculation changes both charts, whether or not their pages are on show.
    for (ChartWindow* window : {tsiWindow, responseWindow})
        QObject::connect(&mainForm, &TMainForm::calculationCompleted, window, &ChartWindow::chartChanged);
    new RecentFilesMenu(mainForm, fileMenu, *windows.Recent, dialogs);
    new ResultsCopy(mainForm, *mainForm.findChild<QMenu*>(QStringLiteral("Tools1")), dialogs);
    new DataFileDrop(mainForm);
}

}  // namespace

TrophexWindows createWindows(UserDialogs& dialogs, const NumberFormat& format, const QStringList& helpDirs,
                             QSettings& settings)
{
    installFontSubstitutes();
    describeFilesByNameInEveryFileDialog();
    const QString helpFile = findHelpFile(helpDirs);
    qCDebug(startupLog).noquote() << "help file:" << (helpFile.isEmpty() ? QStringLiteral("none") : helpFile);
    TrophexWindows windows;
    windows.Help = std::make_unique<HelpViewer>(dialogs, helpDirs);
    windows.Recent = std::make_unique<RecentFiles>(settings);
    windows.MainForm = std::make_unique<TMainForm>(dialogs, format, *windows.Help);
    windows.MainForm->show();
    windows.AboutBox = std::make_unique<TAboutBox>(*windows.MainForm);
    windows.CalibrateForm = std::make_unique<TCalibrateForm>(*windows.MainForm, *windows.Help);
    windows.MainForm->attachWindows(*windows.AboutBox, *windows.CalibrateForm);
    stayAbove(*windows.AboutBox, *windows.MainForm);
    stayAbove(*windows.CalibrateForm, *windows.MainForm);
    addDesktopCommands(windows, dialogs);
    return windows;
}

void openWhenStartupEnds(const TrophexWindows& windows, const QString& fileName)
{
    if (fileName.isEmpty())
        return;
    TMainForm& mainForm = *windows.MainForm;
    const QString path = QFileInfo(fileName).absoluteFilePath();
    // Queued, so that the main window shows enabled before a possible error box.
    QObject::connect(
        windows.AboutBox.get(), &TAboutBox::startupScreenEnded, &mainForm,
        [&mainForm, path] {
            mainForm.openDataFile(path, true);
            qCDebug(startupLog).noquote() << "file from the command line:" << path
                                          << "results ready:" << mainForm.ResultsReady();
        },
        static_cast<Qt::ConnectionType>(Qt::QueuedConnection | Qt::SingleShotConnection));
}

}  // namespace trophex::ui
