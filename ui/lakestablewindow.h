#pragma once
// The table of lakes: a CSV table assessed by the batch pipeline and shown one lake per row,
// to be sorted, filtered, opened lake by lake in the main window and saved as the batch
// writes it. The assessment runs on threads of its own with a progress bar and a Cancel
// button; the table on show changes only when a whole new table is ready.

#include "model/inputs.h"
#include "model/numberformat.h"

#include <QMainWindow>

#include <functional>
#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTableView;

namespace trophex::batch {
class ResultTable;
}

namespace trophex::ui {

class LakesAssessment;
class LakesTableModel;
class UserDialogs;

inline constexpr const char* LakesTableCaption = "Lakes Table";

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
    void CancelBtnClick();
    // Writes the whole table, in input order, as the batch writes it.
    void SaveResultsAsClick();
    // Opens the lake of a row of the view in the main window.
    void openRow(int row);

    bool assessing() const;
    LakesTableModel& model() const { return *model_; }
    QTableView& view() const { return *view_; }
    QString summaryText() const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void createMenus();
    QWidget* createFilterRow();
    QWidget* createProgressRow();
    void showProgress(qint64 bytesRead, qint64 totalBytes);
    void assessmentFinished(std::shared_ptr<const batch::ResultTable> table, const QString& error);
    void filterChanged();
    // Sorts by the column and order the sort controls name, as a click on a column's title does.
    void sortChosen();
    // Shows in the sort controls the column and order the view is sorted by.
    void showSortOrder(int column, Qt::SortOrder order);
    void fillSortColumns();
    void updateSummary();
    void setAssessing(bool assessing);
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
    QComboBox* sortColumn_ = nullptr;   // the column sorted by, for the keyboard
    QCheckBox* descending_ = nullptr;   // the order sorted in
    QPushButton* saveButton_ = nullptr;
    QAction* saveAction_ = nullptr;
    QLabel* summary_ = nullptr;
    QWidget* progressRow_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QLabel* progressLabel_ = nullptr;
    QString assessedName_;  // the file being assessed, or last assessed
    QString tableName_;     // the file of the table on show
    QString lastSaveName_;  // file last chosen in the save dialog
    bool placed_ = false;   // placed on the screen once
};

}  // namespace trophex::ui
