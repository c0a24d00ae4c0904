#include "ui/mainform.h"

#include "model/ecoregion.h"
#include "arithmetic/fpu.h"
#include "model/tsi.h"
#include "print/reportlayout.h"
#include "ui/aboutbox.h"
#include "ui/calibrateform.h"
#include "ui/dialogs.h"
#include "ui/glyphs.h"
#include "ui/helpviewer.h"
#include "ui/lakestablewindow.h"
#include "ui/loadresponsepage.h"
#include "ui/printcommand.h"
#include "ui/statusline.h"
#include "ui/stringgrid.h"
#include "ui/tsichart.h"
#include "ui/widgets.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QTabBar>
#include <QTabWidget>

namespace trophex::ui {

namespace {

constexpr int ClientWidth = 640;
constexpr int ClientHeight = 416;
constexpr int RowHeight = 22;  // edit boxes and selectors

// Labels and edit boxes of the window.
QFont boxFont()
{
    return pixelFont(QStringLiteral("Arial"), 12, true);
}

// The widest outflow the Output page is laid out for, with its separators: a lake of
// 10,000 km2 with a watershed ten times its size gives 66,575,779,200.00 L/day.
constexpr const char* WidestOutflowText = "999,999,999,999.99";

// Selectors use a smaller font than labels and edit boxes.
QComboBox* addUnitSelector(QWidget* parent, const QString& name, const QStringList& items, const QString& text,
                           QRect geometry)
{
    QComboBox* selector = addSelector(parent, name, items, text, geometry);
    selector->setFont(pixelFont(QStringLiteral("Arial"), 11, true));
    return selector;
}

std::string pathOf(const QString& fileName)
{
    return QFile::encodeName(fileName).toStdString();
}

// A result grid under its page's heading, with the titles of its first row and column;
// the column titles include the corner cell.
template <std::size_t Columns, std::size_t Rows>
StringGrid* addTitledGrid(QWidget* page, const QString& name, int columnWidth,
                          const std::array<const char*, Columns>& columnTitles,
                          const std::array<const char*, Rows>& rowTitles)
{
    constexpr int GridRowHeight = 18;
    auto* grid = new StringGrid(int(Columns), int(Rows) + 1, columnWidth, GridRowHeight, page);
    grid->setObjectName(name);
    grid->move(8, 28);
    for (int column = 0; column < int(Columns); ++column)
        grid->setCell(column, 0, QString::fromLatin1(columnTitles[column]));
    for (int row = 0; row < int(Rows); ++row)
        grid->setCell(0, row + 1, QString::fromLatin1(rowTitles[row]));
    return grid;
}

struct CommandButton {
    const char* name;     // object name
    const char* caption;  // text beside the glyph; empty for a glyph-only button
    const char* hint;     // tool tip
    QIcon (*glyph)();     // picture on the button
    int width;            // pixels
    void (TMainForm::*handler)();  // run on a click
};

struct MenuItem {
    const char* name;     // object name
    const char* caption;  // with the access key marked by "&"
    void (TMainForm::*handler)();  // run when the item is chosen
};

}  // namespace

struct TMainForm::InputRow {
    const char* caption;  // label text
    Input box;            // edit box, or the selector itself for the ecoregion
    QStringList units;    // selector items; empty for a row without a selector
};

TMainForm::TMainForm(UserDialogs& dialogs, const NumberFormat& format, HelpViewer& help)
    : dialogs_(dialogs), format_(format), help_(help)
{
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QStringLiteral("Tarnovale"));  // spelled as the program always has
    setWindowIcon(QIcon(programIcon(32)));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);

    auto* client = new QWidget(this);
    client->setFont(boxFont());
    client->setFixedSize(ClientWidth, ClientHeight);
    setCentralWidget(client);
    createCommandRow(client);
    createInputGroups(client);
    createNotebook(client);
    createMenus();
    statusLine_ = new StatusLine(this);
    setStatusBar(statusLine_);
    setFixedSize(ClientWidth, ClientHeight + menuBar()->sizeHint().height() + statusLine_->sizeHint().height());
    setEnabled(false);
}

void TMainForm::attachWindows(TAboutBox& aboutBox, TCalibrateForm& calibrateForm)
{
    aboutBox_ = &aboutBox;
    calibrateForm_ = &calibrateForm;
    watchInputs();
}

void TMainForm::createCommandRow(QWidget* client)
{
    static const CommandButton Buttons[] = {
        {"CalibrateBtn", "Calibrate", "Calibrate Model", calibrateGlyph, 98, &TMainForm::CalibrateBtnClick},
        {"CalcButton", "Calculate", "Calculate Results", calculateGlyph, 98, &TMainForm::CalcButtonClick},
        {"PrintBtn", "Print", "Print Model Run", printGlyph, 80, &TMainForm::PrintBtnClick},
        {"SaveBtn", "Save", "Save Model Run", saveGlyph, 80, &TMainForm::SaveBtnClick},
        {"OpenBtn", "Open", "Open Model Results", openGlyph, 80, &TMainForm::OpenBtnClick},
        {"ClearBtn", "Clear", "Clear All Values", clearGlyph, 80, &TMainForm::ClearBtnClick},
        {"HelpBtn", "", "Help", helpGlyph, 40, &TMainForm::HelpBtnClick},
    };
    int x = 6;
    for (const CommandButton& b : Buttons) {
        auto* button = new QPushButton(b.glyph(), QString::fromLatin1(b.caption), client);
        button->setObjectName(QString::fromLatin1(b.name));
        button->setToolTip(QString::fromLatin1(b.hint));
        button->setIconSize(QSize(20, 20));
        button->setGeometry(x, 4, b.width, 30);
        // Return, like Space, presses the button that has the focus.
        button->setAutoDefault(true);
        connect(button, &QPushButton::clicked, this, b.handler);
        x += b.width + 4;
    }
    auto* rule = new QFrame(client);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);
    rule->setGeometry(0, 37, ClientWidth, 3);
}

void TMainForm::createInputGroups(QWidget* client)
{
    const QStringList areas = qsList(areaUnits());
    const QStringList lengths = qsList(lengthUnits());
    const QStringList concentrations = qsList(concentrationUnits());
    const InputRow lakeRows[] = {
        {"Lake Name", Input::NameEditBox, {}},
        {"Ecoregion", Input::EcoRegComboBox, qsList(EcoregionCodes)},
        {"Watershed Area", Input::WareaEditBox, areas},
        {"Surface Area", Input::LareaEditBox, areas},
        {"Mean Depth", Input::DepthEditBox, lengths},
    };
    const InputRow qualityRows[] = {
        {"Total Phosphorus", Input::TPeditBox, concentrations},
        // These two captions end in a blank, as the window always had them.
        {"Chlorophyll a ", Input::ChlrAeditBox, concentrations},
        {"Secchi Disk ", Input::SechiEditBox, lengths},
        {"Alkalinity", Input::AlkalinityEditBox, qsList(alkalinityUnits())},
    };
    auto* lake = new QGroupBox(QStringLiteral("Lake and Watershed Constants"), client);
    lake->setGeometry(6, 42, 310, 154);
    for (int i = 0; i < static_cast<int>(std::size(lakeRows)); ++i)
        addInputRow(lake, lakeRows[i], 22 + 26 * i, 116);
    auto* quality = new QGroupBox(QStringLiteral("Lake Water Quality Variables"), client);
    quality->setGeometry(324, 42, 310, 154);
    for (int i = 0; i < static_cast<int>(std::size(qualityRows)); ++i)
        addInputRow(quality, qualityRows[i], 22 + 26 * i, 132);
}

// A label, then the edit box and its unit selector, or the ecoregion selector alone.
void TMainForm::addInputRow(QWidget* group, const InputRow& row, int y, int boxLeft)
{
    constexpr int SelectorLeft = 230;
    constexpr int SelectorWidth = 72;
    addLabel(group, QString::fromLatin1(row.caption), QRect(10, y, boxLeft - 12, RowHeight));
    if (row.box == Input::EcoRegComboBox) {
        QComboBox* ecoregion = addInputSelector(group, row.box, row.units, QRect(boxLeft, y, SelectorWidth, RowHeight));
        onUserChange(ecoregion, [this] { EcoRegComboBoxChange(); });
        return;
    }
    const int boxRight = row.units.isEmpty() ? SelectorLeft + SelectorWidth : SelectorLeft - 4;
    inputControls_[static_cast<int>(row.box)] = addEditBox(group, QString::fromLatin1(inputControlName(row.box)),
                                                           QRect(boxLeft, y, boxRight - boxLeft, RowHeight));
    if (!row.units.isEmpty()) {
        const auto unit = static_cast<Input>(static_cast<int>(row.box) + 1);
        addInputSelector(group, unit, row.units, QRect(SelectorLeft, y, SelectorWidth, RowHeight));
    }
}

QComboBox* TMainForm::addInputSelector(QWidget* parent, Input input, const QStringList& items, QRect geometry)
{
    const QString text = qs(InputTexts::startup()[input]);
    QComboBox* selector = addUnitSelector(parent, QString::fromLatin1(inputControlName(input)), items, text, geometry);
    inputControls_[static_cast<int>(input)] = selector;
    return selector;
}

void TMainForm::createNotebook(QWidget* client)
{
    notebook_ = new QTabWidget(client);
    notebook_->setObjectName(QStringLiteral("TabbedNotebook1"));
    notebook_->setGeometry(6, 200, 628, 212);
    notebook_->addTab(createOutputPage(), QStringLiteral("Output"));
    notebook_->addTab(createChlrPage(), QStringLiteral("Chlr A"));
    notebook_->addTab(createPredictionsPage(), QStringLiteral("Predictions"));
    notebook_->addTab(createTsiPage(), QString::fromLatin1(TsiPageCaption));
    responsePage_ = new TLoadResponsePage(dialogs_, format_, help_, [this]() -> QPrinter& { return printer(); });
    notebook_->addTab(responsePage_, QString::fromLatin1(LoadResponsePageCaption));
    notebook_->setCurrentIndex(0);
    connect(notebook_, &QTabWidget::currentChanged, this, &TMainForm::TabbedNotebook1Click);
    // A click on the tab of the page already shown redraws it too.
    connect(notebook_->tabBar(), &QTabBar::tabBarClicked, this, [this](int index) {
        if (index == notebook_->currentIndex())
            TabbedNotebook1Click();
    });
}

QComboBox* TMainForm::addOutputSelector(QWidget* parent, OutputResult result, QRect geometry)
{
    QStringList units;
    for (const char* unit : outputUnits(result))
        units << QString::fromLatin1(unit);
    QComboBox* selector =
        addUnitSelector(parent, QString::fromLatin1(outputSelectorName(result)), units, units.constFirst(), geometry);
    using Handler = void (TMainForm::*)();
    static constexpr Handler Handlers[] = {&TMainForm::AvgInTPunitsChange, &TMainForm::PhosLoadUnitsChange,
                                           &TMainForm::CVtpUnitsChange,    &TMainForm::OutVolUnitsChange,
                                           &TMainForm::ResTimeUnitsChange, &TMainForm::WatLoadUnitsChange};
    const Handler handler = Handlers[static_cast<int>(result)];
    onUserChange(selector, [this, handler] { (this->*handler)(); });
    return selector;
}

QWidget* TMainForm::createOutputPage()
{
    struct OutputRow {
        const char* caption;  // label text
        std::optional<OutputResult> result;  // none for the retention coefficient
    };
    // "Chiadudani" is spelled as the program always has.
    static const OutputRow Rows[] = {
        {"Average TP Inflow", OutputResult::AvgInTP}, {"TP Load", OutputResult::PhosLoad},
        {"Chiadudani/Vighi TP", OutputResult::CVtp},  {"Phos Retention Coef", std::nullopt},
        {"Lake Outflow", OutputResult::OutVol},       {"Residence Time", OutputResult::ResTime},
        {"Areal Water Load", OutputResult::WatLoad},
    };
    // The left column's results are short; the right column's boxes take the widest outflow,
    // and the column is placed from the group's right edge.
    constexpr int GroupWidth = 608;
    constexpr int SelectorWidth = 72;
    constexpr int Gap = 4;
    const int rightBoxWidth = std::max(84, resultBoxWidth(boxFont(), QString::fromLatin1(WidestOutflowText)));
    const int rightBoxLeft = GroupWidth - 8 - SelectorWidth - Gap - rightBoxWidth;
    auto* page = new QWidget;
    auto* group = new QGroupBox(QStringLiteral("TROPHEX Model Output"), page);
    group->setGeometry(6, 6, GroupWidth, 150);
    for (int i = 0; i < static_cast<int>(std::size(Rows)); ++i) {
        const bool leftColumn = i < 4;
        const int boxLeft = leftColumn ? 132 : rightBoxLeft;
        const int labelLeft = leftColumn ? 10 : boxLeft - 102;
        const int y = 26 + 30 * (leftColumn ? i : i - 4);
        addLabel(group, QString::fromLatin1(Rows[i].caption), QRect(labelLeft, y, boxLeft - labelLeft - 2, RowHeight));
        const QRect box(boxLeft, y, leftColumn ? 84 : rightBoxWidth, RowHeight);
        if (!Rows[i].result) {
            phosRetBox_ = addResultBox(group, QStringLiteral("PhosRetEditBox"), box);
            continue;
        }
        const OutputResult result = *Rows[i].result;
        const int r = static_cast<int>(result);
        outputBoxes_[r] = addResultBox(group, QString::fromLatin1(resultSpec(resultOf(result)).control), box);
        outputSelectors_[r] =
            addOutputSelector(group, result, QRect(box.right() + 1 + Gap, y, SelectorWidth, RowHeight));
    }
    return page;
}

QWidget* TMainForm::createChlrPage()
{
    auto* page = new QWidget;
    addLabel(page, QStringLiteral("Chlorophyll A Interval Frequencies (%)"), QRect(8, 4, 360, 20));
    chlrGrid_ = addTitledGrid(page, QStringLiteral("ChlrStringGrid"), 64, ChlrGridColumnTitles, ChlrGridRowTitles);
    const char* legend[] = {"Case A = within-year variation considered", "Case B = within-year + year-to-year",
                            "Case C = Case B + Model Error"};
    for (int i = 0; i < 3; ++i)
        addLabel(page, QString::fromLatin1(legend[i]), QRect(346, 44 + 22 * i, 272, 20));
    return page;
}

QWidget* TMainForm::createPredictionsPage()
{
    auto* page = new QWidget;
    addLabel(page, QStringLiteral("TRPHEX Model Predictions"), QRect(8, 4, 360, 20));  // spelled as always
    compGrid_ = addTitledGrid(page, QStringLiteral("CompStringGrid"), 90, CompGridColumnTitles, CompGridRowTitles);
    addLabel(page, QStringLiteral("Note:"), QRect(8, 110, 44, 20));
    addLabel(page, QStringLiteral("Residual = Log10(obs/pred)"), QRect(52, 110, 500, 20));
    addLabel(page, QStringLiteral("t-test for significant difference between observed and predicted"),
             QRect(52, 130, 520, 20));
    return page;
}

QWidget* TMainForm::createTsiPage()
{
    static const char* const Captions[] = {"Average TSI", "TPhos TSI", "Chlor a TSI", "Secchi TSI"};
    static const char* const Boxes[] = {"AvgTSIeditBox", "PhosTSIeditBox", "ChlrATSIeditBox", "SecchiTSIeditBox"};
    auto* page = new QWidget;
    chart_ = new TsiChart(page);
    chart_->setObjectName(QStringLiteral("PaintBox1"));
    chart_->move(110, 0);
    chart_->setRepaintHandler([this] { FormPaint(); });

    const QFont captionFont = pixelFont(QStringLiteral("Arial"), 11, true);
    for (int row = 0; row < 4; ++row) {
        const int y = BarTop - 3 + row * RowStep;
        addLabel(page, QString::fromLatin1(Captions[row]), QRect(4, y, 72, 20))->setFont(captionFont);
        tsiBoxes_[row] = addResultBox(page, QString::fromLatin1(Boxes[row]), QRect(76, y, 32, 20));
    }
    for (int i = 0; i <= 10; ++i) {
        const int x = i == 10 ? 590 : 105 + 50 * i;
        addLabel(page, QString::number(10 * i), QRect(x, 135, 28, 12))->setFont(captionFont);
    }
    auto* rangeSample = addLabel(page, QStringLiteral("______"), QRect(8, 146, 50, 16));
    rangeSample->setStyleSheet(QStringLiteral("color: rgb(255, 0, 0);"));
    addLabel(page, QStringLiteral("Ecoregion Range"), QRect(59, 151, 150, 16));
    addLabel(page, QStringLiteral("Carlson's Trophic State Index"), QRect(264, 151, 240, 16));
    return page;
}

void TMainForm::createMenus()
{
    const auto addMenu = [this](const char* name, const char* title, std::initializer_list<MenuItem> items) {
        QMenu* menu = menuBar()->addMenu(QString::fromLatin1(title));
        menu->setObjectName(QString::fromLatin1(name));
        for (const MenuItem& item : items) {
            QAction* action = menu->addAction(QString::fromUtf8(item.caption));
            action->setObjectName(QString::fromLatin1(item.name));
            connect(action, &QAction::triggered, this, item.handler);
        }
        return menu;
    };
    QMenu* fileMenu = addMenu("File1", "&File",
            {{"Open1", "&Open", &TMainForm::Open1Click},
             {"PrinterSetup1", "&Printer Setup", &TMainForm::PrinterSetup1Click},
             {"Print1", "P&rint", &TMainForm::Print1Click},
             {"Save1", "&Save", &TMainForm::Save1Click},
             {"AssessLakesTable1", "Assess Lakes &Table\u2026", &TMainForm::AssessLakesTable1Click},
             {"ImportMonitoringSamples1", "&Import Monitoring Samples\u2026", &TMainForm::ImportMonitoringSamples1Click},
             {"Exit1", "&Exit", &TMainForm::Exit1Click}});
    // Commands beyond the window's own four follow them after a separator; Exit, after
    // another, stays last whatever is added later (addBeforeClosingItem).
    fileMenu->insertSeparator(findChild<QAction*>(QStringLiteral("AssessLakesTable1")));
    fileMenu->insertSeparator(findChild<QAction*>(QStringLiteral("Exit1")));
    findChild<QAction*>(QStringLiteral("Open1"))->setShortcut(QKeySequence::Open);
    findChild<QAction*>(QStringLiteral("Save1"))->setShortcut(QKeySequence::Save);
    addMenu("Tools1", "&Tools",
            {{"Calibrate1", "&Calibrate", &TMainForm::Calibrate1Click},
             {"Calculate1", "C&alculate", &TMainForm::Calculate1Click},
             {"Clear1", "Cl&ear", &TMainForm::Clear1Click}});
    addMenu("Help1", "&Help",
            {{"About1", "&About", &TMainForm::About1Click}, {"Search1", "&Search", &TMainForm::Search1Click}});
}

void TMainForm::CalibrateBtnClick()
{
    calibrateForm_->show();
    calibrateForm_->raise();
    calibrateForm_->activateWindow();
    setEnabled(false);
}

void TMainForm::CalcButtonClick()
{
    const InputTexts inputs = gatherInputs();
    const engine::Assessment run = engine::assessTexts(inputs, {{}, format_});
    if (!run.ok()) {
        responsePage_->calculationFailed(inputs);
        DisplayErrorDlg(qs(run.error.cause.empty() ? run.error.message : run.error.message + '\n' + run.error.cause));
        showInputError(run.error);
        return;
    }
    CalculationOutcome outcome;
    outcome.state = run.state;
    outcome.values = run.values;
    outcome.texts = run.results;
    lastRun_ = {*run.inputs, run.state, run.results};
    responsePage_->followCalculation(run);
    writeResults(outcome.texts);
    OutputResults();
    if (DrawTSIgraphs()) {
        resultsReady_ = 1;
        emit calculationCompleted(lastRun_.inputs, outcome);
    }
    updateStatusLine();
}

void TMainForm::showInputError(const engine::Error& error)
{
    if (error.code != ErrorCode::InvalidInput || !error.input)
        return;
    const int input = static_cast<int>(*error.input);
    if (input < FirstCalibrationInput) {
        focusFrom(inputControls_[input], error.position);
        return;
    }
    CalibrateBtnClick();
    calibrateForm_->focusBox(*error.input, error.position);
}

void TMainForm::watchInputs()
{
    for (QWidget* control : inputControls_) {
        if (auto* box = qobject_cast<QLineEdit*>(control))
            connect(box, &QLineEdit::textChanged, this, &TMainForm::updateStatusLine);
        else if (auto* selector = qobject_cast<QComboBox*>(control))
            connect(selector, &QComboBox::editTextChanged, this, &TMainForm::updateStatusLine);
    }
    connect(calibrateForm_, &TCalibrateForm::calibrationTextsChanged, this, &TMainForm::updateStatusLine);
}

void TMainForm::updateStatusLine()
{
    statusLine_->setInputsChanged(resultsReady_ != 0 && gatherInputs().texts != lastRun_.inputs.texts);
}

QString TMainForm::statusText() const
{
    return statusLine_->text();
}

// The grids and the boxes without a unit selector; OutputResults and DrawTSIgraphs write
// the others.
void TMainForm::writeResults(const ResultTexts& texts)
{
    for (const ResultSpec& desc : resultTable()) {
        if (desc.page == ResultPage::Predictions)
            compGrid_->setCell(desc.gridColumn, desc.gridRow, qs(texts[desc.result]));
        else if (desc.page == ResultPage::ChlrA)
            chlrGrid_->setCell(desc.gridColumn, desc.gridRow, qs(texts[desc.result]));
        else if (desc.page == ResultPage::Output && !selectorOf(desc.result))
            setResultText(findChild<QLineEdit*>(QString::fromLatin1(desc.control)), qs(texts[desc.result]));
    }
}

void TMainForm::OutputResults()
{
    for (OutputResult selector : AllOutputResults) {
        const ResultSpec& desc = resultSpec(resultOf(selector));
        const int r = static_cast<int>(selector);
        setResultText(outputBoxes_[r], qs(resultText(desc, outputResultValue(selector, lastRun_.state), format_)));
        setSelectorText(outputSelectors_[r], QString::fromLatin1(modelUnit(selector)));
    }
}

bool TMainForm::DrawTSIgraphs()
{
    QImage& surface = chart_->surface();
    {
        QPainter painter(&surface);
        drawTsiBars(painter);
        painter.setPen(QPen(Qt::red, 1));
        DrawEcoRegInt(painter, ecoregionTsiRanges(ecoregionText().toStdString(), RangeUse::Chart), BarBottom,
                      RowStep);
    }
    // The surface is repainted after this handler, with whatever it has drawn by then.
    chart_->update();

    std::array<std::string, 4> indices;
    try {
        indices = OutputTSI(lastRun_.state, format_);
    } catch (const FloatFault& fault) {
        DisplayErrorDlg(QString::fromLatin1(fault.what()));
        return false;
    }
    std::array<std::optional<int>, 4> values;
    for (int row = 0; row < 4; ++row) {
        setResultText(tsiBoxes_[row], qs(indices[row]));
        values[row] = readIndexBox(tsiBoxes_[row]->text().toStdString());
    }
    {
        QPainter painter(&surface);
        GraphTSIresults(painter, RowStep, BarBottom, values);
    }
    if (tsiPageActive())
        chart_->SaveTSIgraph();
    return true;
}

void TMainForm::FormPaint()
{
    if (tsiPageActive() && resultsReady_ != 0 && chart_->hasBitmap())
        chart_->copyBitmapToSurface();
}

TMainForm::~TMainForm() = default;

void TMainForm::PrintBtnClick()
{
    UserPrintDialog dialog(dialogs_, this);
    runPrintCommand(printer(), dialog, resultsReady_ != 0, reportTexts(),
                    [this](ErrorCode error) { DisplayErrorDlg(qs(errorMessage(error))); });
}

void TMainForm::PrinterSetup1Click()
{
    dialogs_.setUpPrinter(this, printer());
}

QPrinter& TMainForm::printer()
{
    if (!printer_)
        printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *printer_;
}

ReportTexts TMainForm::reportTexts() const
{
    std::array<std::string, 6> units;
    for (OutputResult r : AllOutputResults)
        units[static_cast<int>(r)] = outputSelectors_[static_cast<int>(r)]->currentText().toStdString();
    return reportTextsOfRun(lastRun_, units, format_);
}

QString TMainForm::shownResult(const ResultSpec& desc) const
{
    if (desc.page == ResultPage::Predictions)
        return compGrid_->cell(desc.gridColumn, desc.gridRow);
    if (desc.page == ResultPage::ChlrA)
        return chlrGrid_->cell(desc.gridColumn, desc.gridRow);
    return controlText(QString::fromLatin1(desc.control));
}

void TMainForm::SaveBtnClick()
{
    const QString name = dialogs_.saveFileName(this, lastSaveName_);
    if (name.isEmpty())
        return;
    lastSaveName_ = name;
    if (QFileInfo::exists(name) && !dialogs_.confirmReplace(this, name))
        return;
    const engine::Error error = engine::saveDataFile(pathOf(name), gatherInputs());
    if (error.failed())
        reportFileError(name, error);
    else
        emit dataFileUsed(name);
}

void TMainForm::OpenBtnClick()
{
    const QString name = dialogs_.openFileName(this, lastOpenName_);
    if (name.isEmpty())
        return;
    openDataFile(name);
}

void TMainForm::openDataFile(const QString& fileName, bool nameInEveryError)
{
    lastOpenName_ = fileName;
    const engine::Assessment opened = engine::assessDataFile(pathOf(fileName));
    if (!opened.inputs) {
        reportFileError(fileName, opened.error, nameInEveryError);
        return;
    }
    emit dataFileUsed(fileName);
    setInputs(*opened.inputs);
    CalcButtonClick();
}

void TMainForm::ClearBtnClick()
{
    for (QWidget* control : inputControls_)
        if (auto* box = qobject_cast<QLineEdit*>(control))
            box->clear();
    for (QLineEdit* box : outputBoxes_)
        box->clear();
    phosRetBox_->clear();
    for (QLineEdit* box : tsiBoxes_)
        box->clear();
    if (tsiPageActive() && resultsReady_ == 1)
        chart_->eraseToSilver();
    compGrid_->clearBody();
    chlrGrid_->clearBody();
    responsePage_->clear();
    resultsReady_ = 0;
    updateStatusLine();
}

void TMainForm::HelpBtnClick()
{
    help_.showTopic(MainWindowHelpContext, this);
}

void TMainForm::AssessLakesTable1Click()
{
    lakesTable().AssessLakesTableClick(this);
}

void TMainForm::ImportMonitoringSamples1Click()
{
    lakesTable().ImportMonitoringSamplesClick(this);
}

LakesTableWindow& TMainForm::lakesTable()
{
    if (!lakesTable_)
        lakesTable_ = std::make_unique<LakesTableWindow>(dialogs_, format_, [this](const InputTexts& texts) {
            setInputs(texts);
            CalcButtonClick();
            raise();
            activateWindow();
        });
    return *lakesTable_;
}

void TMainForm::Exit1Click()
{
    QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit, Qt::QueuedConnection);
}

void TMainForm::About1Click()
{
    setEnabled(false);
    aboutBox_->showAsAboutWindow();
}

void TMainForm::EcoRegComboBoxChange()
{
    calibrateForm_->DefaultBtnClick();
}

void TMainForm::TabbedNotebook1Click()
{
    if (tsiPageActive() && resultsReady_ == 1)
        DrawTSIgraphs();
}

void TMainForm::outputUnitsChange(OutputResult result)
{
    if (resultsReady_ != 1)
        return;
    const int r = static_cast<int>(result);
    const std::string unit = outputSelectors_[r]->currentText().toStdString();
    setResultText(outputBoxes_[r], qs(convertedResultText(result, unit, lastRun_.state, format_)));
}

void TMainForm::reportFileError(const QString& fileName, const engine::Error& error, bool nameInEveryError)
{
    if (nameInEveryError || error.code == ErrorCode::System)
        DisplayErrorDlg(QStringLiteral("%1\n%2").arg(QDir::toNativeSeparators(fileName), qs(error.message)));
    else
        DisplayErrorDlg(qs(error.message));
}

void TMainForm::DisplayErrorDlg(const QString& message)
{
    dialogs_.showError(this, message);
}

QString TMainForm::controlText(const QString& objectName) const
{
    return textOf(findChild<QWidget*>(objectName));
}

QString TMainForm::ecoregionText() const
{
    return textOf(inputControls_[static_cast<int>(Input::EcoRegComboBox)]);
}

InputTexts TMainForm::gatherInputs() const
{
    InputTexts texts;
    for (int i = 0; i < FirstCalibrationInput; ++i)
        texts.texts[i] = textOf(inputControls_[i]).toStdString();
    const CalibrationTexts calibration = calibrateForm_->calibrationTexts();
    for (int i = 0; i < CalibrationCount; ++i)
        texts.texts[FirstCalibrationInput + i] = calibration[i];
    return texts;
}

void TMainForm::setInputs(const InputTexts& texts)
{
    for (int i = 0; i < FirstCalibrationInput; ++i)
        setTextOf(inputControls_[i], qs(texts.texts[i]));
    CalibrationTexts calibration;
    for (int i = 0; i < CalibrationCount; ++i)
        calibration[i] = texts.texts[FirstCalibrationInput + i];
    calibrateForm_->setCalibrationTexts(calibration);
}

bool TMainForm::tsiPageActive() const
{
    return notebook_->tabText(notebook_->currentIndex()) == QLatin1String(TsiPageCaption);
}

void TMainForm::closeEvent(QCloseEvent* event)
{
    event->accept();
    QCoreApplication::quit();
}

void TMainForm::showEvent(QShowEvent* event)
{
    if (!centred_) {
        centred_ = true;
        move(screen()->availableGeometry().center() - rect().center());
    }
    QMainWindow::showEvent(event);
}

}  // namespace trophex::ui
