#include "ui/lakestablewindow.h"

#include "batch/resulttable.h"
#include "files/datafile.h"
#include "model/ecoregion.h"
#include "response/loadresponse.h"
#include "response/responsetarget.h"
#include "model/trophicclass.h"
#include "ui/dialogs.h"
#include "ui/lakesassessment.h"
#include "ui/lakestablemodel.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCursor>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QScreen>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QTableView>
#include <QVBoxLayout>

#include <array>

namespace trophex::ui {

namespace {

constexpr int ProgressSteps = 1000;
// Pixels a column may take however narrow the window, when its texts are long.
constexpr int MinWidestColumn = 200;

// Whether two choices ask the same: the same mode and targets that read as the same goal,
// however they are written.
bool sameResponse(const std::optional<engine::ResponseRequest>& a, const std::optional<engine::ResponseRequest>& b)
{
    if (!a || !b)
        return !a && !b;
    const std::optional<TargetSpec> x = readTargetSpec(a->target).target;
    const std::optional<TargetSpec> y = readTargetSpec(b->target).target;
    return a->mode == b->mode && x && y && x->kind == y->kind && x->value == y->value && x->bound == y->bound;
}

QComboBox* addFilter(QHBoxLayout* row, const QString& caption, const QString& name,
                     const batch::FilterChoices& items)
{
    auto* label = new QLabel(caption);
    auto* filter = new QComboBox;
    filter->setObjectName(name);
    for (const auto& [text, value] : items)
        filter->addItem(QString::fromStdString(text), value);
    label->setBuddy(filter);
    row->addWidget(label);
    row->addWidget(filter);
    row->addSpacing(12);
    return filter;
}

int chosenValue(const QComboBox* filter)
{
    return filter->currentData().toInt();
}

// Where the results of a table are offered to be saved first: beside it, named after it.
QString suggestedResultsName(const QString& tableName)
{
    const QFileInfo table(tableName);
    return table.dir().filePath(table.completeBaseName() + QStringLiteral("_results.csv"));
}

bool sameFile(const QString& a, const QString& b)
{
    const QString canonicalA = QFileInfo(a).canonicalFilePath();
    return !canonicalA.isEmpty() && canonicalA == QFileInfo(b).canonicalFilePath();
}

}  // namespace

LakesTableWindow::LakesTableWindow(UserDialogs& dialogs, const NumberFormat& format, OpenLake openLake,
                                   QWidget* parent)
    : QMainWindow(parent), dialogs_(dialogs), format_(format), openLake_(std::move(openLake))
{
    setObjectName(QStringLiteral("LakesTableWindow"));
    setWindowTitle(QString::fromLatin1(LakesTableCaption));
    assessment_ = new LakesAssessment(this);
    model_ = new LakesTableModel(this);

    auto* client = new QWidget;
    auto* layout = new QVBoxLayout(client);
    layout->addWidget(createFilterRow());
    layout->addWidget(createTargetRow());

    view_ = new QTableView;
    view_->setObjectName(QStringLiteral("LakesTableView"));
    view_->setModel(model_);
    view_->setSelectionBehavior(QAbstractItemView::SelectRows);
    view_->setSelectionMode(QAbstractItemView::SingleSelection);
    view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view_->setWordWrap(false);
    view_->setAlternatingRowColors(true);
    view_->verticalHeader()->hide();
    view_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view_->verticalHeader()->setDefaultSectionSize(view_->fontMetrics().height() + 6);
    view_->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    view_->horizontalHeader()->setResizeContentsPrecision(200);
    view_->setSortingEnabled(true);
    connect(view_, &QTableView::activated, this, [this](const QModelIndex& index) { openRow(index.row()); });
    connect(view_->horizontalHeader(), &QHeaderView::sortIndicatorChanged, this, &LakesTableWindow::showSortOrder);
    layout->addWidget(view_, 1);

    summary_ = new QLabel;
    summary_->setObjectName(QStringLiteral("LakesSummary"));
    summary_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // With a target's counts the line is long; it wraps rather than widen the window.
    summary_->setWordWrap(true);
    layout->addWidget(summary_);
    layout->addWidget(createProgressRow());
    setCentralWidget(client);
    createMenus();

    connect(assessment_, &LakesAssessment::progressed, this, &LakesTableWindow::showProgress);
    connect(assessment_, &LakesAssessment::finished, this, &LakesTableWindow::assessmentFinished);
    setAssessing(false);
    showTargetChoice();
    updateSummary();
}

LakesTableWindow::~LakesTableWindow() = default;

void LakesTableWindow::createMenus()
{
    QMenu* file = menuBar()->addMenu(tr("&File"));
    QAction* assess = file->addAction(QString::fromUtf8("&Assess Lakes Table\u2026"));
    assess->setObjectName(QStringLiteral("AssessLakesTable1"));
    assess->setShortcut(QKeySequence::Open);
    connect(assess, &QAction::triggered, this, [this] { AssessLakesTableClick(this); });
    saveAction_ = file->addAction(QString::fromUtf8("&Save Results As\u2026"));
    saveAction_->setObjectName(QStringLiteral("SaveResultsAs1"));
    saveAction_->setShortcut(QKeySequence::Save);
    connect(saveAction_, &QAction::triggered, this, &LakesTableWindow::SaveResultsAsClick);
    file->addSeparator();
    QAction* close = file->addAction(tr("&Close"));
    close->setShortcut(QKeySequence::Close);
    connect(close, &QAction::triggered, this, &QWidget::close);
}

QWidget* LakesTableWindow::createFilterRow()
{
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    statusFilter_ = addFilter(layout, tr("S&tatus:"), QStringLiteral("StatusFilter"), batch::statusFilterChoices());
    ecoregionFilter_ =
        addFilter(layout, tr("&Ecoregion:"), QStringLiteral("EcoregionFilter"), batch::ecoregionFilterChoices());
    classFilter_ =
        addFilter(layout, tr("Trophic c&lass:"), QStringLiteral("ClassFilter"), batch::trophicClassFilterChoices());
    for (QComboBox* filter : {statusFilter_, ecoregionFilter_, classFilter_})
        connect(filter, &QComboBox::currentIndexChanged, this, &LakesTableWindow::filterChanged);
    sortColumn_ = addFilter(layout, tr("S&ort by:"), QStringLiteral("SortColumn"), {});
    sortColumn_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    sortColumn_->setMinimumContentsLength(16);
    descending_ = new QCheckBox(tr("&Descending"));
    descending_->setObjectName(QStringLiteral("SortDescending"));
    layout->addWidget(descending_);
    connect(sortColumn_, &QComboBox::activated, this, &LakesTableWindow::sortChosen);
    connect(descending_, &QCheckBox::toggled, this, &LakesTableWindow::sortChosen);
    layout->addStretch(1);
    saveButton_ = new QPushButton(QString::fromUtf8("Save Results As\u2026"));
    saveButton_->setObjectName(QStringLiteral("SaveResultsAsBtn"));
    connect(saveButton_, &QPushButton::clicked, this, &LakesTableWindow::SaveResultsAsClick);
    layout->addWidget(saveButton_);
    return row;
}

QWidget* LakesTableWindow::createTargetRow()
{
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* label = new QLabel(tr("Tar&get:"));
    target_ = new QComboBox;
    target_->setObjectName(QStringLiteral("TargetSelector"));
    target_->setEditable(true);
    target_->setInsertPolicy(QComboBox::NoInsert);
    // Typed as typed: a completion to a suggestion would turn "tp=2" into "tp=20".
    target_->setCompleter(nullptr);
    target_->addItem(QString::fromLatin1(batch::NoTargetText));
    for (const char* suggestion : batch::TargetSuggestions)
        target_->addItem(QString::fromLatin1(suggestion));
    target_->setMinimumContentsLength(14);
    target_->setToolTip(tr("The goal of every lake's load response: tp=V, chla=V, secchi=V, tsi=V (at most V), "
                           "freq=B:P (chlorophyll a above B ug/L at most P % of the time) or ecoregion"));
    label->setBuddy(target_);
    connect(target_, &QComboBox::activated, this, &LakesTableWindow::targetChosen);
    connect(target_->lineEdit(), &QLineEdit::editingFinished, this, &LakesTableWindow::targetChosen);
    anchor_ = new QCheckBox(tr("A&nchor to observed values"));
    anchor_->setObjectName(QStringLiteral("AnchorCheckBox"));
    anchor_->setChecked(true);
    anchor_->setToolTip(tr("Observed values changed by the model's ratios, or the model's own predictions"));
    connect(anchor_, &QCheckBox::toggled, this, &LakesTableWindow::targetChosen);
    layout->addWidget(label);
    layout->addWidget(target_);
    layout->addWidget(anchor_);
    layout->addSpacing(12);
    goalFilter_ = addFilter(layout, tr("Target stat&us:"), QStringLiteral("GoalFilter"), batch::goalFilterChoices());
    goalFilter_->setEnabled(false);
    connect(goalFilter_, &QComboBox::currentIndexChanged, this, &LakesTableWindow::filterChanged);
    layout->addStretch(1);
    return row;
}

QWidget* LakesTableWindow::createProgressRow()
{
    progressRow_ = new QWidget;
    auto* layout = new QHBoxLayout(progressRow_);
    layout->setContentsMargins(0, 0, 0, 0);
    progressLabel_ = new QLabel;
    progress_ = new QProgressBar;
    progress_->setObjectName(QStringLiteral("AssessProgress"));
    progress_->setRange(0, ProgressSteps);
    auto* cancel = new QPushButton(tr("Cancel"));
    cancel->setObjectName(QStringLiteral("CancelBtn"));
    cancel->setShortcut(Qt::Key_Escape);
    connect(cancel, &QPushButton::clicked, this, &LakesTableWindow::CancelBtnClick);
    layout->addWidget(progressLabel_);
    layout->addWidget(progress_, 1);
    layout->addWidget(cancel);
    return progressRow_;
}

void LakesTableWindow::AssessLakesTableClick(QWidget* dialogParent)
{
    const QString name = dialogs_.openTableName(dialogParent, assessedName_);
    if (!name.isEmpty())
        assessFile(name);
}

void LakesTableWindow::assessFile(const QString& fileName)
{
    if (!startAssessment(fileName))
        return;
    placeOnFirstShow();
    show();
    raise();
    activateWindow();
}

bool LakesTableWindow::startAssessment(const QString& fileName)
{
    QString error;
    if (!assessment_->start(fileName, chosenTarget_.response, error)) {
        if (model_->table())
            applyTarget(tableTarget_);
        reportFileError(fileName, error);
        return false;
    }
    assessedName_ = fileName;
    assessedTarget_ = chosenTarget_;
    progressLabel_->setText(tr("Assessing %1").arg(QFileInfo(fileName).fileName()));
    progress_->setValue(0);
    setAssessing(true);
    updateSummary();
    return true;
}

void LakesTableWindow::targetChosen()
{
    const QString text = target_->currentText().trimmed();
    TargetChoice choice;
    if (!text.isEmpty() && text.compare(QString::fromLatin1(batch::NoTargetText), Qt::CaseInsensitive) != 0) {
        const engine::ResponseRequest request{text.toStdString(),
                                              anchor_->isChecked() ? "" : responseModeName(ResponseMode::Model),
                                              NuisanceLevels::Left};
        const engine::Error unreadable = engine::checkResponseRequest(request);
        if (unreadable.failed()) {
            // The selector shows the chosen target again before the message takes the focus,
            // so that leaving the selector for the message does not read the text twice.
            showTargetChoice();
            dialogs_.showError(this, QString::fromStdString(batch::reasonSentence(unreadable.message)));
            return;
        }
        choice.text = text;
        choice.response = request;
    }
    const bool changed = !sameResponse(choice.response, chosenTarget_.response);
    applyTarget(choice);
    if (!changed)
        return;
    if (assessing())
        startAssessment(assessedName_);
    else if (model_->table())
        startAssessment(tableName_);
}

void LakesTableWindow::applyTarget(const TargetChoice& choice)
{
    chosenTarget_ = choice;
    showTargetChoice();
}

void LakesTableWindow::showTargetChoice()
{
    const QSignalBlocker targetBlocker(target_);
    const QSignalBlocker anchorBlocker(anchor_);
    target_->setEditText(chosenTarget_.text);
    if (chosenTarget_.response)
        anchor_->setChecked(chosenTarget_.response->mode.empty());
    anchor_->setEnabled(chosenTarget_.response.has_value());
}

bool LakesTableWindow::assessing() const
{
    return assessment_->running();
}

void LakesTableWindow::CancelBtnClick()
{
    assessment_->cancel();
}

void LakesTableWindow::placeOnFirstShow()
{
    if (placed_)
        return;
    placed_ = true;
    const QRect screen = (parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen())->availableGeometry();
    resize(std::min(1000, screen.width() - 40), std::min(600, screen.height() - 80));
    move(screen.center() - rect().center());
}

void LakesTableWindow::showProgress(qint64 bytesRead, qint64 totalBytes)
{
    if (totalBytes > 0)
        progress_->setValue(static_cast<int>(std::min<qint64>(ProgressSteps, bytesRead * ProgressSteps / totalBytes)));
}

void LakesTableWindow::assessmentFinished(std::shared_ptr<const batch::ResultTable> table, const QString& error)
{
    setAssessing(false);
    if (!table) {
        // The target on show stays that of the table on show.
        if (model_->table())
            applyTarget(tableTarget_);
        updateSummary();
        if (error.isEmpty())
            statusBar()->showMessage(model_->table() ? tr("Assessment of %1 cancelled: the table on show is as it was")
                                                                 .arg(QFileInfo(assessedName_).fileName())
                                                     : tr("Assessment of %1 cancelled")
                                                           .arg(QFileInfo(assessedName_).fileName()));
        else
            reportFileError(assessedName_, error);
        return;
    }
    statusBar()->clearMessage();
    const bool sameFile = tableName_ == assessedName_;
    tableName_ = assessedName_;
    tableTarget_ = assessedTarget_;
    setWindowTitle(QStringLiteral("%1 - %2").arg(QString::fromLatin1(LakesTableCaption),
                                                 QFileInfo(tableName_).fileName()));
    QHeaderView* header = view_->horizontalHeader();
    // The same table with another target keeps its sort and the lake the user was at; a new
    // table shows the input order from its first lake.
    const int sortColumn = sameFile ? header->sortIndicatorSection() : -1;
    const QModelIndex current = view_->currentIndex();
    const std::optional<std::size_t> currentLake =
        sameFile && current.isValid() ? std::optional<std::size_t>(model_->lakeAt(current.row())) : std::nullopt;
    const Qt::SortOrder sortOrder = header->sortIndicatorOrder();
    header->setSortIndicator(-1, Qt::AscendingOrder);
    model_->setTable(std::move(table));
    goalFilter_->setEnabled(model_->table()->hasResponse());
    if (!model_->table()->hasResponse())
        goalFilter_->setCurrentIndex(0);
    if (sortColumn >= 0 && sortColumn < model_->columnCount())
        header->setSortIndicator(sortColumn, sortOrder);
    fillSortColumns();
    fitColumns();
    updateSummary();
    saveButton_->setEnabled(true);
    saveAction_->setEnabled(true);
    view_->setFocus();
    const int row = currentLake ? model_->rowOfLake(*currentLake) : -1;
    if (row >= 0) {
        view_->setCurrentIndex(model_->index(row, current.column()));
        view_->scrollTo(view_->currentIndex(), QAbstractItemView::PositionAtCenter);
    } else if (model_->rowCount() > 0) {
        view_->setCurrentIndex(model_->index(0, 0));
    }
}

void LakesTableWindow::fitColumns()
{
    view_->resizeColumnsToContents();
    // A name of a million letters would otherwise push every other column off the screen.
    const int widest = std::max(MinWidestColumn, view_->viewport()->width() / 3);
    for (int column = 0; column < model_->columnCount(); ++column)
        view_->setColumnWidth(column, std::min(view_->columnWidth(column), widest));
}

void LakesTableWindow::setAssessing(bool assessing)
{
    progressRow_->setVisible(assessing);
    const bool haveTable = model_->table() != nullptr;
    saveButton_->setEnabled(!assessing && haveTable);
    if (saveAction_)
        saveAction_->setEnabled(!assessing && haveTable);
    if (assessing)
        progressRow_->findChild<QPushButton*>(QStringLiteral("CancelBtn"))->setFocus();
}

void LakesTableWindow::filterChanged()
{
    model_->setFilter({static_cast<StatusFilter>(chosenValue(statusFilter_)), chosenValue(ecoregionFilter_),
                       chosenValue(classFilter_), chosenValue(goalFilter_)});
    updateSummary();
}

void LakesTableWindow::fillSortColumns()
{
    const QSignalBlocker blocker(sortColumn_);
    sortColumn_->clear();
    for (int column = 0; column < model_->columnCount(); ++column)
        sortColumn_->addItem(model_->headerData(column, Qt::Horizontal).toString());
    showSortOrder(view_->horizontalHeader()->sortIndicatorSection(), view_->horizontalHeader()->sortIndicatorOrder());
}

void LakesTableWindow::sortChosen()
{
    const int column = sortColumn_->currentIndex();
    if (column < 0)
        return;
    view_->sortByColumn(column, descending_->isChecked() ? Qt::DescendingOrder : Qt::AscendingOrder);
    if (model_->rowCount() > 0)
        view_->scrollTo(model_->index(0, column));
}

void LakesTableWindow::showSortOrder(int column, Qt::SortOrder order)
{
    const QSignalBlocker columnBlocker(sortColumn_);
    const QSignalBlocker orderBlocker(descending_);
    sortColumn_->setCurrentIndex(std::max(column, 0));
    descending_->setChecked(column >= 0 && order == Qt::DescendingOrder);
}

void LakesTableWindow::updateSummary()
{
    summary_->setText(summaryText());
}

QString LakesTableWindow::summaryText() const
{
    if (!model_->table())
        return assessing() ? QString() : tr("No table yet: File, Assess Lakes Table");
    return QString::fromStdString(model_->lakes().summaryText(format_));
}

void LakesTableWindow::openRow(int row)
{
    const batch::ResultTable* table = model_->table();
    if (!table || row < 0 || row >= model_->rowCount())
        return;
    batch::CsvRecord record;
    InputTexts texts;
    table->inputTexts(model_->lakeAt(row), record, texts);
    openLake_(texts);
}

void LakesTableWindow::SaveResultsAsClick()
{
    const batch::ResultTable* table = model_->table();
    if (!table || assessing())
        return;
    const QString name =
        dialogs_.saveTableName(this, lastSaveName_.isEmpty() ? suggestedResultsName(tableName_) : lastSaveName_);
    if (name.isEmpty())
        return;
    lastSaveName_ = name;
    if (sameFile(name, tableName_)) {
        reportFileError(name, tr("The results would replace the table they were assessed from."));
        return;
    }
    if (QFileInfo::exists(name) && !dialogs_.confirmReplace(this, name))
        return;
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const std::optional<std::string> error = replaceFile(
        QFile::encodeName(name).toStdString(), [table](const ByteWriter& write) { table->write(write); });
    QGuiApplication::restoreOverrideCursor();
    if (error)
        reportFileError(name, QString::fromStdString(*error));
    else
        statusBar()->showMessage(tr("Saved %1").arg(QDir::toNativeSeparators(name)));
}

void LakesTableWindow::reportFileError(const QString& fileName, const QString& reason)
{
    dialogs_.showError(this, QStringLiteral("%1\n%2").arg(QDir::toNativeSeparators(fileName), reason));
}

void LakesTableWindow::closeEvent(QCloseEvent* event)
{
    assessment_->cancel();
    QMainWindow::closeEvent(event);
}

}  // namespace trophex::ui
