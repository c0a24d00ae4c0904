#include "ui/lakestablewindow.h"

#include "batch/resulttable.h"
#include "files/datafile.h"
#include "model/ecoregion.h"
#include "model/errors.h"
#include "response/loadresponse.h"
#include "response/responsetarget.h"
#include "model/trophicclass.h"
#include "ui/dialogs.h"
#include "ui/lakesassessment.h"
#include "ui/lakestablemodel.h"
#include "ui/trendwindow.h"

#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QCursor>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMenuBar>
#include <QProgressBar>
#include <QScreen>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QStyle>
#include <QTableView>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
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
    // Rows to copy may be picked with Shift and Ctrl; Return and a double click open the current one.
    view_->setSelectionMode(QAbstractItemView::ExtendedSelection);
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
    // The lakes are sorted on another thread; the window waits with the wait cursor.
    connect(model_, &LakesTableModel::sortStarted, this, [] { QGuiApplication::setOverrideCursor(Qt::WaitCursor); });
    connect(model_, &LakesTableModel::sorted, this, &LakesTableWindow::sortFinished);
    layout->addWidget(view_, 1);

    summary_ = new QLabel;
    summary_->setObjectName(QStringLiteral("LakesSummary"));
    summary_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // With a target's counts the line is long; it wraps rather than widen the window.
    summary_->setWordWrap(true);
    layout->addWidget(summary_);
    ignoredColumns_ = new QLabel;
    ignoredColumns_->setObjectName(QStringLiteral("IgnoredColumns"));
    ignoredColumns_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    ignoredColumns_->setWordWrap(true);
    ignoredColumns_->hide();
    layout->addWidget(ignoredColumns_);
    layout->addWidget(createProgressRow());
    setCentralWidget(client);
    createMenus();

    connect(assessment_, &LakesAssessment::progressed, this, &LakesTableWindow::showProgress);
    connect(assessment_, &LakesAssessment::finished, this, &LakesTableWindow::assessmentFinished);
    connect(assessment_, &LakesAssessment::samplesRead, this,
            [this](std::shared_ptr<const samples::LakeYearTable> lakeYears) { samplesRead_ = std::move(lakeYears); });
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
    QAction* import = file->addAction(QString::fromUtf8("&Import Monitoring Samples\u2026"));
    import->setObjectName(QStringLiteral("ImportMonitoringSamples1"));
    connect(import, &QAction::triggered, this, [this] { ImportMonitoringSamplesClick(this); });
    saveAction_ = file->addAction(QString::fromUtf8("&Save Results As\u2026"));
    saveAction_->setObjectName(QStringLiteral("SaveResultsAs1"));
    saveAction_->setShortcut(QKeySequence::Save);
    connect(saveAction_, &QAction::triggered, this, &LakesTableWindow::SaveResultsAsClick);
    file->addSeparator();
    QAction* close = file->addAction(tr("&Close"));
    close->setShortcut(QKeySequence::Close);
    connect(close, &QAction::triggered, this, &QWidget::close);

    auto* copy = new QAction(tr("&Copy"), view_);
    copy->setObjectName(QStringLiteral("LakesTableViewCopy"));
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetShortcut);
    connect(copy, &QAction::triggered, this, &LakesTableWindow::copyRows);
    view_->addAction(copy);
    view_->setContextMenuPolicy(Qt::ActionsContextMenu);
    QMenu* samplesMenu = menuBar()->addMenu(tr("Sa&mples"));
    trendAction_ = samplesMenu->addAction(QString::fromUtf8("&Trend of the Lake\u2026"));
    trendAction_->setObjectName(QStringLiteral("Trend1"));
    trendAction_->setShortcut(Qt::CTRL | Qt::Key_T);
    connect(trendAction_, &QAction::triggered, this, &LakesTableWindow::TrendClick);
    skippedAction_ = samplesMenu->addAction(QString::fromUtf8("&Skipped Samples\u2026"));
    skippedAction_->setObjectName(QStringLiteral("SkippedSamples1"));
    connect(skippedAction_, &QAction::triggered, this, &LakesTableWindow::SkippedSamplesClick);
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

void LakesTableWindow::ImportMonitoringSamplesClick(QWidget* dialogParent)
{
    const QString samplesName = dialogs_.openTableName(dialogParent, assessedName_);
    if (samplesName.isEmpty())
        return;
    // The lakes table is optional: without one each site is a lake, and nothing is assessed.
    statusBar()->showMessage(tr("Choose the lakes table of the samples, or cancel to take each site as a lake"));
    const QString lakesName = dialogs_.openTableName(dialogParent, samplesName);
    statusBar()->clearMessage();
    importSamples(samplesName, lakesName);
}

void LakesTableWindow::importSamples(const QString& samplesFileName, const QString& lakesFileName)
{
    if (!startAssessment(samplesFileName, lakesFileName))
        return;
    placeOnFirstShow();
    show();
    raise();
    activateWindow();
}

bool LakesTableWindow::startAssessment(const QString& fileName, const std::optional<QString>& samplesLakes)
{
    QString error;
    samplesRead_.reset();
    const bool started = samplesLakes ? assessment_->startSamples(fileName, *samplesLakes, chosenTarget_.response, error)
                                      : assessment_->start(fileName, chosenTarget_.response, error);
    if (!started) {
        if (model_->table())
            applyTarget(tableTarget_);
        reportFileError(fileName, error);
        return false;
    }
    assessedName_ = fileName;
    assessedLakes_ = samplesLakes;
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
        startAssessment(assessedName_, assessedLakes_);
    else if (model_->table())
        startAssessment(tableName_, tableLakes_);
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
    const bool sameFile = tableName_ == assessedName_ && tableLakes_ == assessedLakes_;
    tableName_ = assessedName_;
    tableLakes_ = assessedLakes_;
    samplesOnShow_ = assessedLakes_ ? samplesRead_ : nullptr;
    enableSamplesActions(true);
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
    showIgnoredColumns();
    saveButton_->setEnabled(true);
    saveAction_->setEnabled(true);
    view_->setFocus();
    if (model_->sorting())
        lakeAfterSort_ = currentLake ? std::optional<Place>(Place{*currentLake, current.column()}) : std::nullopt;
    else
        showPlace(currentLake ? std::optional<Place>(Place{*currentLake, current.column()}) : std::nullopt);
}

void LakesTableWindow::showPlace(const std::optional<Place>& place)
{
    const int row = place ? model_->rowOfLake(place->lake) : -1;
    if (row >= 0) {
        view_->setCurrentIndex(model_->index(row, place->column));
        view_->scrollTo(view_->currentIndex(), QAbstractItemView::PositionAtCenter);
    } else if (model_->rowCount() > 0) {
        view_->setCurrentIndex(model_->index(0, 0));
    }
}

void LakesTableWindow::sortFinished()
{
    QGuiApplication::restoreOverrideCursor();
    if (lakeAfterSort_) {
        showPlace(lakeAfterSort_);
        lakeAfterSort_.reset();
    }
}

void LakesTableWindow::fitColumns()
{
    view_->resizeColumnsToContents();
    // The view measures the rows in sight and a few more; the status and the inputs take the
    // width of their longest text in any row, so that no row's text is cut there.
    const std::vector<std::string> longest = model_->longestTexts();
    const int margin = 2 * (view_->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view_) + 1) + 2;
    for (int column = 0; column < model_->columnCount(); ++column) {
        const QString text = QString::fromStdString(longest[static_cast<std::size_t>(column)]);
        if (!text.isEmpty())
            view_->setColumnWidth(column, std::max(view_->columnWidth(column),
                                                   view_->fontMetrics().horizontalAdvance(text) + margin));
    }
    // A name of a million letters would otherwise push every other column off the screen.
    const int widest = std::max(MinWidestColumn, view_->viewport()->width() / 3);
    for (int column = 0; column < model_->columnCount(); ++column)
        view_->setColumnWidth(column, std::min(view_->columnWidth(column), widest));
}

void LakesTableWindow::setAssessing(bool assessing)
{
    progressRow_->setVisible(assessing);
    const bool canSave = !assessing && !saving_ && model_->table() != nullptr;
    saveButton_->setEnabled(canSave);
    if (saveAction_)
        saveAction_->setEnabled(canSave);
    if (trendAction_)
        enableSamplesActions(!assessing);
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

void LakesTableWindow::showIgnoredColumns()
{
    const std::vector<std::string>& names = model_->table()->ignoredColumns();
    QStringList quoted;
    for (const std::string& name : names)
        quoted << QStringLiteral("\u201C%1\u201D").arg(QString::fromStdString(name));
    ignoredColumns_->setText(names.size() == 1 ? tr("Not an input, ignored: the column %1.").arg(quoted.front())
                                               : tr("Not inputs, ignored: the columns %1.").arg(quoted.join(", ")));
    // The columns an import of samples leaves out are the lake-years' own (days, standard
    // errors, dates, note), written by the import itself: nothing of the user's is ignored.
    ignoredColumns_->setVisible(!names.empty() && !samplesOnShow_);
}

void LakesTableWindow::copyRows()
{
    std::vector<int> rows;
    for (const QModelIndex& index : view_->selectionModel()->selectedRows())
        rows.push_back(index.row());
    if (rows.empty() && view_->currentIndex().isValid())
        rows.push_back(view_->currentIndex().row());
    if (rows.empty()) {
        dialogs_.showError(this, tr("There's nothing to copy!"));
        return;
    }
    std::sort(rows.begin(), rows.end());
    QGuiApplication::clipboard()->setText(QString::fromStdString(model_->rowsAsText(rows)));
}

QString LakesTableWindow::summaryText() const
{
    if (!model_->table())
        return assessing() ? QString() : tr("No table yet: File, Assess Lakes Table");
    QString text = QString::fromStdString(model_->lakes().summaryText(format_));
    if (samplesOnShow_) {
        text += QStringLiteral(". ")
                + QString::fromStdString(samples::samplesCountsText(samplesOnShow_->summary.counts, format_))
                + tr(" (Samples, Skipped Samples lists why)");
    }
    return text;
}

void LakesTableWindow::enableSamplesActions(bool enabled)
{
    trendAction_->setEnabled(enabled && samplesOnShow_);
    skippedAction_->setEnabled(enabled && samplesOnShow_);
}

void LakesTableWindow::TrendClick()
{
    const QModelIndex current = view_->currentIndex();
    if (!samplesOnShow_ || !current.isValid())
        return;
    const std::vector<samples::LakeYear>& lakeYears = samplesOnShow_->lakeYears;
    const std::size_t row = model_->lakeAt(current.row());
    if (row >= lakeYears.size())
        return;
    const int lake = lakeYears[row].lake;
    LakeTrends trends;
    trends.lakeName = QString::fromStdString(samplesOnShow_->lakeNames[static_cast<std::size_t>(lake)]);
    trends.trends = samples::lakeTrendsOf(lakeYears, lake, samples::TrendSettings{});
    if (!trendWindow_)
        trendWindow_ = new TrendWindow(dialogs_, this);
    trendWindow_->showLake(trends);
    trendWindow_->show();
    trendWindow_->raise();
}

void LakesTableWindow::SkippedSamplesClick()
{
    if (!samplesOnShow_)
        return;
    auto* box = new QMessageBox(QMessageBox::Information, tr("Skipped Samples"),
                                QString::fromStdString(samples::summaryText(samplesOnShow_->summary)),
                                QMessageBox::Ok, this);
    box->setObjectName(QStringLiteral("SkippedSamplesBox"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();  // not modal to the program: the table stays usable
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
    if (!model_->table() || assessing() || saving_)
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
    // Written on a thread of the pool, so that the window stays responsive over a million
    // rows; the save controls wait until the file is complete or has failed.
    saving_ = true;
    setAssessing(assessing());
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    statusBar()->showMessage(tr("Saving %1").arg(QDir::toNativeSeparators(name)));
    auto* watcher = new QFutureWatcher<std::optional<std::string>>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, name] {
        watcher->deleteLater();
        saving_ = false;
        setAssessing(assessing());
        QGuiApplication::restoreOverrideCursor();
        if (const std::optional<std::string> error = watcher->result())
            reportFileError(name, QString::fromStdString(*error));
        else
            statusBar()->showMessage(tr("Saved %1").arg(QDir::toNativeSeparators(name)));
    });
    watcher->setFuture(QtConcurrent::run(
        [table = model_->sharedTable(), path = QFile::encodeName(name).toStdString()]() -> std::optional<std::string> {
            try {
                return replaceFile(path, [&table](const ByteWriter& write) { table->write(write); });
            } catch (const std::exception& e) {
                return exceptionMessage(e);
            }
        }));
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
