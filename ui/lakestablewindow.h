#pragma once
// The table of lakes: a CSV table assessed by the batch pipeline and shown one lake per row,
// to be sorted, filtered, opened lake by lake in the main window and saved as the batch
// writes it. A target for the whole table adds the load response of every lake, as the
// batch's --target does. The assessment runs on threads of its own with a progress bar and
// a Cancel button; the table on show changes only when a whole new table is ready.

#include "batch/batchtable.h"
#include "batch/lakesview.h"
#include "engine/engine.h"
#include "model/inputs.h"
#include "arithmetic/numberformat.h"

#include <QMainWindow>

#include <functional>
#include <memory>
#include <optional>

class QCheckBox;
class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTableView;

namespace trophex::batch {
class ResultTable;
}
namespace trophex::samples {
struct LakeYearTable;
}

namespace trophex::ui {

class LakesAssessment;
class LakesTableModel;
class TrendWindow;
class UserDialogs;

inline constexpr const char* LakesTableCaption = "Lakes Table";

// A target for the whole table as the selector shows it and as the batch takes it.
struct TargetChoice {
    QString text = QString::fromLatin1(batch::NoTargetText);  // as typed or chosen
    std::optional<engine::ResponseRequest> response;          // none without a target
};

class LakesTableWindow : public QMainWindow {
    Q_OBJECT

public:
    // openLake puts a lake's input texts into the main window and calculates them.
    using OpenLake = std::function<void(const InputTexts& texts)>;

    LakesTableWindow(UserDialogs& dialogs, const NumberFormat& format, OpenLake openLake, QWidget* parent = nullptr);
    ~LakesTableWindow() override;

    // Asks for a CSV table, with the dialog over dialogParent, and assesses it.
    void AssessLakesTableClick(QWidget* dialogParent);
    // Assesses the table in the file; the window shows the progress.
    void assessFile(const QString& fileName);
    // Asks for a table of monitoring samples, then for its lakes table (none when the user
    // cancels), and imports them.
    void ImportMonitoringSamplesClick(QWidget* dialogParent);
    // Shows the lake-years of the samples, assessed where the lakes table (when not empty)
    // gives the morphometry.
    void importSamples(const QString& samplesFileName, const QString& lakesFileName);
    // The trend view of the lake of the current row of a samples import.
    void TrendClick();
    // Lists the samples skipped, by reason, in a box of its own.
    void SkippedSamplesClick();
    void CancelBtnClick();
    // Takes the target typed or chosen in the selector for the whole table: re-assesses the
    // table on show (or the one being assessed) with it, or keeps it for the next table.
    void targetChosen();
    // Writes the whole table, in input order, as the batch writes it.
    void SaveResultsAsClick();
    // Opens the lake of a row of the view in the main window.
    void openRow(int row);
    // Copies the selected rows, under the columns' titles, as tab-separated text.
    void copyRows();

    bool assessing() const;
    // Whether the table is being saved (on another thread).
    bool saving() const { return saving_; }
    // The load response settings of the table on show; none without a target.
    const std::optional<engine::ResponseRequest>& tableResponse() const { return tableTarget_.response; }
    LakesTableModel& model() const { return *model_; }
    QTableView& view() const { return *view_; }
    QString summaryText() const;
    // The lake-years on show when the table came from samples, else nullptr.
    const samples::LakeYearTable* samplesOnShow() const { return samplesOnShow_.get(); }
    TrendWindow* trendWindow() const { return trendWindow_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void createMenus();
    QWidget* createFilterRow();
    QWidget* createTargetRow();
    QWidget* createProgressRow();
    // Starts assessing the file with the chosen target, as samples with their lakes table
    // when samplesLakes is given; false when it could not start.
    bool startAssessment(const QString& fileName, const std::optional<QString>& samplesLakes = std::nullopt);
    // Takes the choice for the next assessment, and re-assesses what is on show with it.
    void applyTarget(const TargetChoice& choice);
    // Shows the chosen target in the selector and the mode box.
    void showTargetChoice();
    void showProgress(qint64 bytesRead, qint64 totalBytes);
    void assessmentFinished(std::shared_ptr<const batch::ResultTable> table, const QString& error);
    void filterChanged();
    // Sorts by the column and order the sort controls name, as a click on a column's title does.
    void sortChosen();
    // Shows in the sort controls the column and order the view is sorted by.
    void showSortOrder(int column, Qt::SortOrder order);
    void fillSortColumns();
    void updateSummary();
    void showIgnoredColumns();
    // Sizes the columns to their texts, none wider than a third of the view.
    void fitColumns();
    // Enables the save controls when there is a table and nothing else going on.
    void setAssessing(bool assessing);
    // A lake and the column the view was at.
    struct Place {
        std::size_t lake;
        int column;
    };
    // Makes the lake current and shows it; the first row when it is none or hidden.
    void showPlace(const std::optional<Place>& place);
    void sortFinished();
    // The trend and skipped-samples commands, enabled when the table on show came from samples.
    void enableSamplesActions(bool enabled);
    // Sizes the window to the screen and centres it, the first time it shows.
    void placeOnFirstShow();
    void reportFileError(const QString& fileName, const QString& reason);

    UserDialogs& dialogs_;
    const NumberFormat format_;  // separators of the counts in the summary
    OpenLake openLake_;
    LakesAssessment* assessment_ = nullptr;
    LakesTableModel* model_ = nullptr;
    QTableView* view_ = nullptr;
    QComboBox* statusFilter_ = nullptr;
    QComboBox* ecoregionFilter_ = nullptr;
    QComboBox* classFilter_ = nullptr;
    QComboBox* goalFilter_ = nullptr;   // by the load response's answer
    QComboBox* target_ = nullptr;       // the target for the whole table, as trophex-cli batch --target reads it
    QCheckBox* anchor_ = nullptr;       // anchored to observed values, or the model's predictions
    QComboBox* sortColumn_ = nullptr;   // the column sorted by, for the keyboard
    QCheckBox* descending_ = nullptr;   // the order sorted in
    QPushButton* saveButton_ = nullptr;
    QAction* saveAction_ = nullptr;
    QLabel* summary_ = nullptr;
    QLabel* ignoredColumns_ = nullptr;  // the table's columns that name no input
    QWidget* progressRow_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QLabel* progressLabel_ = nullptr;
    QString assessedName_;  // the file being assessed, or last assessed
    QString tableName_;     // the file of the table on show
    QString lastSaveName_;  // file last chosen in the save dialog
    TargetChoice chosenTarget_;    // for the next assessment
    TargetChoice assessedTarget_;  // of the assessment going on, or the last one
    TargetChoice tableTarget_;     // of the table on show
    bool placed_ = false;   // placed on the screen once
    bool saving_ = false;   // a save is under way
    std::optional<Place> lakeAfterSort_;  // to show once the sort under way has ended
    std::optional<QString> assessedLakes_;  // samples assessed, with this lakes table (or none when empty)
    std::optional<QString> tableLakes_;     // the same for the table on show
    std::shared_ptr<const samples::LakeYearTable> samplesRead_;    // of the import going on
    std::shared_ptr<const samples::LakeYearTable> samplesOnShow_;  // of the table on show, when from samples
    QAction* trendAction_ = nullptr;
    QAction* skippedAction_ = nullptr;
    TrendWindow* trendWindow_ = nullptr;
};

}  // namespace trophex::ui
