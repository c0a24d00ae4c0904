#pragma once
// The main window: the lake's inputs, the command row and menus, and the result
// pages. Its handlers gather the control texts, hand them to the lake model and write the
// model's texts back; the last completed calculation (the texts it read, its model state and
// its results) lives here, and the results on show and the report are those of that run.

#include "engine/engine.h"
#include "model/calculation.h"
#include "model/inputs.h"
#include "model/modelstate.h"
#include "arithmetic/numberformat.h"
#include "model/outputunits.h"
#include "print/reporttexts.h"

#include <QMainWindow>

#include <array>
#include <cstdint>
#include <memory>

class QComboBox;
class QPrinter;
class QLineEdit;
class QPushButton;
class QTabWidget;

namespace trophex::ui {

class HelpViewer;
class LakesTableWindow;
class StatusLine;
class StringGrid;
class TAboutBox;
class TCalibrateForm;
class TLoadResponsePage;
class TsiChart;
class UserDialogs;

inline constexpr const char* TsiPageCaption = "TSI";

class TMainForm : public QMainWindow {
    Q_OBJECT

public:
    TMainForm(UserDialogs& dialogs, const NumberFormat& format, HelpViewer& help);
    ~TMainForm() override;

    // The windows created after this one at start-up.
    void attachWindows(TAboutBox& aboutBox, TCalibrateForm& calibrateForm);

    // Command row and menu handlers; each menu item runs the matching button's handler.
    void CalibrateBtnClick();
    void CalcButtonClick();
    void PrintBtnClick();
    void SaveBtnClick();
    void OpenBtnClick();
    void ClearBtnClick();
    void HelpBtnClick();
    void Open1Click() { OpenBtnClick(); }
    void PrinterSetup1Click();
    void Print1Click() { PrintBtnClick(); }
    void Save1Click() { SaveBtnClick(); }
    void Exit1Click();
    void Calibrate1Click() { CalibrateBtnClick(); }
    void Calculate1Click() { CalcButtonClick(); }
    void Clear1Click() { ClearBtnClick(); }
    void About1Click();
    void Search1Click() { HelpBtnClick(); }
    // Asks for a CSV table of lakes and assesses it in the table window.
    void AssessLakesTable1Click();
    void ImportMonitoringSamples1Click();
    // The table window, created when first asked for.
    LakesTableWindow& lakesTable();

    // Opens a data file as the Open command does once its dialog has given the name:
    // an error box when the file cannot be used, otherwise its texts and a calculation. A
    // file the user did not pick in the dialog (named on the command line, dropped) is named
    // in every error box, as nothing else on the screen says which file failed.
    void openDataFile(const QString& fileName, bool nameInEveryError = false);

    void EcoRegComboBoxChange();
    void TabbedNotebook1Click();

    // Output unit selectors: the result re-expressed in the unit chosen, for display only.
    void AvgInTPunitsChange() { outputUnitsChange(OutputResult::AvgInTP); }
    void PhosLoadUnitsChange() { outputUnitsChange(OutputResult::PhosLoad); }
    void CVtpUnitsChange() { outputUnitsChange(OutputResult::CVtp); }
    void OutVolUnitsChange() { outputUnitsChange(OutputResult::OutVol); }
    void ResTimeUnitsChange() { outputUnitsChange(OutputResult::ResTime); }
    void WatLoadUnitsChange() { outputUnitsChange(OutputResult::WatLoad); }

    // Writes the six balance results in model units and resets their selectors.
    void OutputResults();
    // Draws the chart, writing the four index boxes on the way; false on a fault.
    bool DrawTSIgraphs();
    // Copies the saved chart back onto the chart surface when it is to be shown.
    void FormPaint();

    void DisplayErrorDlg(const QString& message);

    // The text of the main window's input, result or index control with this object name.
    QString controlText(const QString& objectName) const;
    // The text of the box or grid cell that shows the result.
    QString shownResult(const ResultSpec& desc) const;
    // Every text the printed report shows: the inputs and results of the last completed
    // calculation, with the balance results in the units their selectors name now.
    ReportTexts reportTexts() const;
    // The printer that the print and printer setup dialogs choose, kept for the whole run.
    QPrinter& printer();
    StringGrid& ChlrStringGrid() const { return *chlrGrid_; }
    StringGrid& CompStringGrid() const { return *compGrid_; }
    TsiChart& PaintBox1() const { return *chart_; }
    TLoadResponsePage& LoadResponsePage() const { return *responsePage_; }

    std::uint8_t ResultsReady() const { return resultsReady_; }
    const ModelState& modelState() const { return lastRun_.state; }
    // What the status line says now; empty when the inputs are those of the results on show.
    QString statusText() const;
    QString ecoregionText() const;

    // The 31 input texts: the main window's inputs and the Calibrate dialog's calibration set.
    InputTexts gatherInputs() const;
    void setInputs(const InputTexts& texts);

signals:
    // A data file was read by Open or written by Save.
    void dataFileUsed(const QString& fileName);
    // A calculation completed and its results are on show: the inputs it read, its outcome.
    void calculationCompleted(const InputTexts& inputs, const CalculationOutcome& outcome);

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    struct InputRow;

    void createCommandRow(QWidget* client);
    void createInputGroups(QWidget* client);
    void createNotebook(QWidget* client);
    QWidget* createOutputPage();
    QWidget* createChlrPage();
    QWidget* createPredictionsPage();
    QWidget* createTsiPage();
    void createMenus();
    void addInputRow(QWidget* group, const InputRow& row, int y, int boxLeft);
    QComboBox* addInputSelector(QWidget* parent, Input input, const QStringList& items, QRect geometry);
    QComboBox* addOutputSelector(QWidget* parent, OutputResult result, QRect geometry);

    void outputUnitsChange(OutputResult result);
    void writeResults(const ResultTexts& texts);
    // Focuses the box or selector that the calculation could not read, in the Calibrate
    // dialog for a calibration input, with its text selected from where reading stopped.
    void showInputError(const engine::Error& error);
    // Runs updateStatusLine whenever an input or calibration text changes.
    void watchInputs();
    void updateStatusLine();
    // The wrong-header message as it stands (unless the file is to be named in every
    // error), a system error together with the file's name.
    void reportFileError(const QString& fileName, const engine::Error& error, bool nameInEveryError = false);
    bool tsiPageActive() const;

    UserDialogs& dialogs_;
    const NumberFormat format_;
    HelpViewer& help_;
    TAboutBox* aboutBox_ = nullptr;
    TCalibrateForm* calibrateForm_ = nullptr;

    std::unique_ptr<QPrinter> printer_;  // created when first printed to or set up
    std::unique_ptr<LakesTableWindow> lakesTable_;  // created when first asked for
    CompletedRun lastRun_;           // the last completed calculation
    std::uint8_t resultsReady_ = 0;  // 1 once a calculation completed, 0 after Clear
    QString lastOpenName_;           // file last chosen in the open dialog
    QString lastSaveName_;           // file last chosen in the save dialog

    std::array<QWidget*, FirstCalibrationInput> inputControls_{};  // by Input, main-window inputs
    std::array<QLineEdit*, 6> outputBoxes_{};                      // by OutputResult
    std::array<QComboBox*, 6> outputSelectors_{};                  // by OutputResult
    std::array<QLineEdit*, 4> tsiBoxes_{};  // average, phosphorus, chlorophyll a, Secchi
    QLineEdit* phosRetBox_ = nullptr;
    StringGrid* chlrGrid_ = nullptr;
    StringGrid* compGrid_ = nullptr;
    TsiChart* chart_ = nullptr;
    TLoadResponsePage* responsePage_ = nullptr;
    QTabWidget* notebook_ = nullptr;
    StatusLine* statusLine_ = nullptr;
    bool centred_ = false;
};

}  // namespace trophex::ui
