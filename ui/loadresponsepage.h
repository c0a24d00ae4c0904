#pragma once
// The "Load Response" page: how much phosphorus the lake can take and what a cut of the
// watershed load buys, for the last completed calculation. A target selector with its
// value, the choice between values anchored to the observations and the model's own, the
// answer in sentences, a chart of the target's variable against the cut and a table at
// cuts of 0 to 100 %. It follows each completed calculation, is emptied by Clear and
// answers every change of target or mode at once.

#include "engine/engine.h"
#include "model/inputs.h"
#include "response/loadresponse.h"
#include "model/modelstate.h"
#include "arithmetic/numberformat.h"

#include <QString>
#include <QWidget>

#include <array>
#include <functional>
#include <optional>

class QCheckBox;
class QComboBox;
class QLabel;
class QPrinter;
class QRadioButton;
class QStackedWidget;
class QTableWidget;

namespace trophex::ui {

class HelpViewer;
class ResponseChartView;
class UserDialogs;

inline constexpr const char* LoadResponsePageCaption = "Load Response";

class TLoadResponsePage : public QWidget {
public:
    // The printer is the window's kept printer, created when first asked for.
    TLoadResponsePage(UserDialogs& dialogs, const NumberFormat& format, HelpViewer& help,
                      std::function<QPrinter&()> printer);

    // Follows a completed calculation: its model state and the inputs it was made from.
    void followCalculation(const engine::Assessment& lake);
    // A calculation of these inputs failed: the page says that it still follows the last one
    // that completed, if any, and whose.
    void calculationFailed(const InputTexts& inputs);
    // Forgets the calculation: no answer, no chart, no table.
    void clear();

    // The page's Print command: the print dialog, then the one-page load response report.
    void ResponsePrintBtnClick();
    void ResponseHelpBtnClick();

    // The response shown; none before a calculation, after Clear or for a target that
    // cannot be read.
    const std::optional<LoadResponse>& response() const { return response_; }
    QString answerText() const;
    // Which lake and calculation the page follows, or why it follows none.
    QString calculationText() const;
    ResponseChartView& chart() const { return *chart_; }
    QTableWidget& table() const { return *table_; }

private:
    void createTargetRow();
    void createModeRow();
    void createResultArea();
    void placeValueBoxes();
    void targetKindChange();
    void refresh();
    void showResponse();
    void fitColumns();
    void showEmpty(const QString& message);
    std::string targetText() const;
    static QString unreadableTargetMessage(const std::string& reason);

    UserDialogs& dialogs_;
    const NumberFormat format_;
    HelpViewer& help_;
    std::function<QPrinter&()> printer_;

    std::optional<engine::Assessment> lake_;  // the calculation followed; none before one and after Clear
    QString calculationName_;                 // that calculation as the page names it: the lake and the time
    std::optional<LoadResponse> response_;
    std::array<QString, 6> valueTexts_;  // the value typed for each kind of target, by TargetKind

    QComboBox* kind_ = nullptr;
    QLabel* comparison_ = nullptr;
    QComboBox* bound_ = nullptr;
    QLabel* boundUnit_ = nullptr;
    QComboBox* value_ = nullptr;
    QLabel* unit_ = nullptr;
    QCheckBox* anchor_ = nullptr;
    QRadioButton* showChart_ = nullptr;
    QLabel* calculation_ = nullptr;  // the lake and calculation followed, above the answer
    QLabel* answer_ = nullptr;
    QStackedWidget* views_ = nullptr;
    ResponseChartView* chart_ = nullptr;
    QTableWidget* table_ = nullptr;
};

}  // namespace trophex::ui
