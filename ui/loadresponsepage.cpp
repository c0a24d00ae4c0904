#include "ui/loadresponsepage.h"
#include "batch/lakesview.h"

#include "response/responseresults.h"
#include "print/responsereport.h"
#include "ui/dialogs.h"
#include "ui/glyphs.h"
#include "ui/helpviewer.h"
#include "ui/printcommand.h"
#include "ui/responsechartview.h"
#include "ui/widgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QStackedWidget>
#include <QStyle>
#include <QTableWidget>
#include <QTime>
#include <QVBoxLayout>

#include <algorithm>

namespace trophex::ui {

namespace {

constexpr int RowHeight = 22;
constexpr int ColumnWidth = 296;  // of the controls and the answer, at the left
constexpr int ViewLeft = 300;     // of the chart and the table, at the right

// A value selector the Tab key reaches, as the page is worked from the keyboard too.
QComboBox* addValueSelector(QWidget* parent, const QString& name, const QStringList& items, const QString& text)
{
    QComboBox* selector = addSelector(parent, name, items, text, QRect());
    selector->setFocusPolicy(Qt::StrongFocus);
    selector->setFont(pixelFont(QStringLiteral("Arial"), 11, true));
    return selector;
}

}  // namespace

TLoadResponsePage::TLoadResponsePage(UserDialogs& dialogs, const NumberFormat& format, HelpViewer& help,
                                     std::function<QPrinter&()> printer)
    : dialogs_(dialogs), format_(format), help_(help), printer_(std::move(printer))
{
    setObjectName(QStringLiteral("LoadResponsePage"));
    setFont(pixelFont(QStringLiteral("Arial"), 11, true));
    for (const TargetChoice& choice : targetChoices())
        valueTexts_[static_cast<int>(choice.kind)] = QString::fromLatin1(choice.firstValue);
    createTargetRow();
    createModeRow();
    createResultArea();
    placeValueBoxes();
    refresh();
}

void TLoadResponsePage::createTargetRow()
{
    kind_ = new QComboBox(this);
    kind_->setObjectName(QStringLiteral("TargetComboBox"));
    kind_->setFont(pixelFont(QStringLiteral("Arial"), 11, true));
    for (const TargetChoice& choice : targetChoices())
        kind_->addItem(QString::fromLatin1(choice.caption));
    kind_->setGeometry(4, 4, 150, RowHeight);
    kind_->setToolTip(QStringLiteral("What the target is set on"));
    connect(kind_, &QComboBox::currentIndexChanged, this, [this] { targetKindChange(); });


    comparison_ = addLabel(this, QString(), QRect());
    bound_ = addValueSelector(this, QStringLiteral("TargetBoundComboBox"), qsList(frequencyBoundSuggestions()),
                              QString::fromLatin1(FirstFrequencyBound));
    boundUnit_ = addLabel(this, QString::fromLatin1(FrequencyBoundUnit), QRect());
    value_ = addValueSelector(this, QStringLiteral("TargetValueComboBox"), {}, QString());
    unit_ = addLabel(this, QString(), QRect());
    for (QComboBox* box : {bound_, value_})
        onUserChange(box, [this] { refresh(); });
}

void TLoadResponsePage::createModeRow()
{
    anchor_ = new QCheckBox(QStringLiteral("Anchor to observed values"), this);
    anchor_->setObjectName(QStringLiteral("AnchorCheckBox"));
    anchor_->setChecked(true);
    anchor_->setGeometry(4, 60, 190, RowHeight);
    anchor_->setToolTip(QStringLiteral("Observed values changed by the model's ratios, or the model's own predictions"));
    connect(anchor_, &QCheckBox::toggled, this, [this] { refresh(); });

    showChart_ = new QRadioButton(QStringLiteral("Chart"), this);
    showChart_->setObjectName(QStringLiteral("ShowChartButton"));
    showChart_->setGeometry(194, 60, 54, RowHeight);
    showChart_->setChecked(true);
    auto* showTable = new QRadioButton(QStringLiteral("Table"), this);
    showTable->setObjectName(QStringLiteral("ShowTableButton"));
    showTable->setGeometry(248, 60, 50, RowHeight);
    connect(showChart_, &QRadioButton::toggled, this, [this](bool chart) { views_->setCurrentIndex(chart ? 0 : 1); });

    // Made after the target and mode controls, so that the Tab key reaches them first.
    auto* print = new QPushButton(printGlyph(), QStringLiteral("Print"), this);
    print->setObjectName(QStringLiteral("ResponsePrintBtn"));
    print->setToolTip(QStringLiteral("Print Load Response"));
    print->setGeometry(160, 2, 80, 26);
    connect(print, &QPushButton::clicked, this, &TLoadResponsePage::ResponsePrintBtnClick);
    auto* helpButton = new QPushButton(helpGlyph(), QString(), this);
    helpButton->setObjectName(QStringLiteral("ResponseHelpBtn"));
    helpButton->setToolTip(QStringLiteral("Help"));
    helpButton->setGeometry(244, 2, 36, 26);
    connect(helpButton, &QPushButton::clicked, this, &TLoadResponsePage::ResponseHelpBtnClick);
}

void TLoadResponsePage::createResultArea()
{
    // The calculation followed and the answer scroll when they need more than their room.
    auto* area = new QScrollArea(this);
    area->setObjectName(QStringLiteral("AnswerArea"));
    area->setGeometry(4, 86, ColumnWidth - 4, 98);
    area->setFrameShape(QFrame::NoFrame);
    area->setWidgetResizable(true);
    area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto* texts = new QWidget;
    auto* layout = new QVBoxLayout(texts);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    calculation_ = new QLabel;
    calculation_->setObjectName(QStringLiteral("CalculationLabel"));
    calculation_->setFont(pixelFont(QStringLiteral("Arial"), 11, true));
    answer_ = new QLabel;
    answer_->setObjectName(QStringLiteral("AnswerLabel"));
    answer_->setFont(pixelFont(QStringLiteral("Arial"), 11, false));
    for (QLabel* label : {calculation_, answer_}) {
        label->setWordWrap(true);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        layout->addWidget(label);
    }
    layout->addStretch(1);
    area->setWidget(texts);

    views_ = new QStackedWidget(this);
    views_->setGeometry(ViewLeft, 0, 318, 184);
    chart_ = new ResponseChartView(format_, views_);
    chart_->setObjectName(QStringLiteral("ResponseChart"));
    views_->addWidget(chart_);

    table_ = new QTableWidget(views_);
    table_->setObjectName(QStringLiteral("ResponseGrid"));
    table_->setFont(pixelFont(QStringLiteral("Arial"), 10, false));
    table_->horizontalHeader()->setFont(pixelFont(QStringLiteral("Arial"), 10, true));
    table_->verticalHeader()->hide();
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionMode(QAbstractItemView::ContiguousSelection);
    table_->verticalHeader()->setMinimumSectionSize(12);
    table_->verticalHeader()->setDefaultSectionSize(13);
    table_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    views_->addWidget(table_);
}

// The value boxes of the kind chosen: a level and a percentage for a frequency, one value
// otherwise; the ecoregion goal's value is shown, not typed.
void TLoadResponsePage::placeValueBoxes()
{
    const TargetChoice& choice = targetChoices()[kind_->currentIndex()];
    const bool frequency = choice.kind == TargetKind::Frequency;
    const int y = 32;
    comparison_->setText(QString::fromLatin1(choice.comparison));
    unit_->setText(QString::fromLatin1(choice.unit));
    bound_->setVisible(frequency);
    boundUnit_->setVisible(frequency);
    // Each label as wide as its text, each box as wide as "100.0" and its arrow, one after
    // the other, so that no text of the row is cut.
    const auto textWidth = [](const QLabel* label) {
        return label->fontMetrics().horizontalAdvance(label->text()) + 4;
    };
    const int arrow = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, value_) + 6;
    const int boxWidth = value_->fontMetrics().horizontalAdvance(QStringLiteral("100.0")) + arrow;
    int x = 4;
    const auto place = [&](QWidget* widget, int width) {
        widget->setGeometry(x, y, width, RowHeight);
        x += width + 2;
    };
    place(comparison_, textWidth(comparison_));
    if (frequency) {
        place(bound_, boxWidth);
        place(boundUnit_, textWidth(boundUnit_));
    }
    place(value_, boxWidth);
    place(unit_, std::max(textWidth(unit_), ColumnWidth - x));
    value_->clear();
    value_->addItems(qsList(choice.suggestions));
    setSelectorText(value_, valueTexts_[static_cast<int>(choice.kind)]);
    const bool typed = choice.kind != TargetKind::Ecoregion;
    value_->lineEdit()->setReadOnly(!typed);
    value_->setToolTip(typed ? QString() : QStringLiteral("The top of the ecoregion's typical phosphorus range"));
}

void TLoadResponsePage::targetKindChange()
{
    placeValueBoxes();
    refresh();
}

void TLoadResponsePage::followCalculation(const engine::Assessment& lake)
{
    lake_ = lake;
    calculationName_ = QStringLiteral("%1, calculated at %2")
                           .arg(lakeNamed((*lake.inputs)[Input::NameEditBox], true),
                                QTime::currentTime().toString(QStringLiteral("HH:mm:ss")));
    calculation_->setText(calculationName_ + QLatin1Char('.'));
    refresh();
}

void TLoadResponsePage::calculationFailed(const InputTexts& inputs)
{
    const QString failed =
        QStringLiteral("The calculation of %1 failed").arg(lakeNamed(inputs[Input::NameEditBox]));
    calculation_->setText(lake_ ? QStringLiteral("%1; still shown: %2.").arg(failed, calculationName_)
                                 : failed + QLatin1Char('.'));
}

void TLoadResponsePage::clear()
{
    lake_.reset();
    calculationName_.clear();
    calculation_->clear();
    refresh();
}

QString TLoadResponsePage::calculationText() const
{
    return calculation_->text();
}

std::string TLoadResponsePage::targetText() const
{
    const TargetChoice& choice = targetChoices()[kind_->currentIndex()];
    return targetChoiceText(choice.kind, value_->currentText().toStdString(), bound_->currentText().toStdString());
}

// Why the target cannot be taken, as the target reader says it, as a sentence.
QString TLoadResponsePage::unreadableTargetMessage(const std::string& reason)
{
    return qs(batch::reasonSentence(reason));
}

void TLoadResponsePage::refresh()
{
    const TargetChoice& choice = targetChoices()[kind_->currentIndex()];
    if (choice.kind != TargetKind::Ecoregion)
        valueTexts_[static_cast<int>(choice.kind)] = value_->currentText();
    if (!lake_) {
        if (choice.kind == TargetKind::Ecoregion)
            setSelectorText(value_, QString());
        showEmpty(QString::fromLatin1(ResponseBeforeCalculation));
        return;
    }
    const ResponseMode mode = anchor_->isChecked() ? ResponseMode::Anchored : ResponseMode::Model;
    const engine::ResponseAssessment answer =
        engine::assessResponse(*lake_, {targetText(), responseModeName(mode), NuisanceLevels::Left});
    if (!answer.ok()) {
        showEmpty(answer.error.code == ErrorCode::InvalidRequest ? unreadableTargetMessage(answer.error.message)
                                                                 : qs(answer.error.message));
        return;
    }
    response_ = answer.response;
    if (choice.kind == TargetKind::Ecoregion)
        setSelectorText(value_, qs(formatNumber(response_->target.value, NumberPattern::OneDecimal, format_)));
    showResponse();
}

void TLoadResponsePage::showResponse()
{
    const LoadResponse& r = *response_;
    QStringList sentences;
    for (const std::string& sentence : responseAnswer(r, format_))
        sentences << qs(sentence);
    answer_->setText(sentences.join(QLatin1Char('\n')));
    chart_->setSeries(chartSeries(r, format_));
    chart_->setCaption(QStringLiteral("%1: %2; %3")
                           .arg(lakeNamed((*lake_->inputs)[Input::NameEditBox], true), qs(targetDescription(r.target, format_)),
                                qs(responseModeDescription(r.mode))));

    const ResponseTable table = responseTable(r, format_);
    table_->clear();
    table_->setColumnCount(static_cast<int>(table.headings.size()));
    QStringList headings;
    for (const std::string& heading : table.headings)
        headings << qs(heading).replace(QStringLiteral(" ("), QStringLiteral("\n("));
    table_->setHorizontalHeaderLabels(headings);
    table_->setRowCount(static_cast<int>(table.rows.size()));
    for (int row = 0; row < table_->rowCount(); ++row) {
        for (int column = 0; column < table_->columnCount(); ++column) {
            auto* item = new QTableWidgetItem(qs(table.rows[row][column]));
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            table_->setItem(row, column, item);
        }
    }
    fitColumns();
}

// Each column as wide as its heading and cells need, the room left shared out among them:
// a huge lake's loads and a frequency's heading are read whole.
void TLoadResponsePage::fitColumns()
{
    table_->resizeColumnsToContents();
    const int columns = table_->columnCount();
    int used = 0;
    for (int column = 0; column < columns; ++column)
        used += table_->columnWidth(column);
    const int room = views_->width() - 2 * table_->frameWidth();
    const int share = columns > 0 ? std::max(0, room - used) / columns : 0;
    for (int column = 0; column < columns; ++column)
        table_->setColumnWidth(column, table_->columnWidth(column) + share);
}

void TLoadResponsePage::showEmpty(const QString& message)
{
    response_.reset();
    answer_->setText(message);
    chart_->setSeries(std::nullopt);
    chart_->setCaption(QString());
    table_->clearContents();
    table_->setRowCount(0);
}

QString TLoadResponsePage::answerText() const
{
    return answer_->text();
}

void TLoadResponsePage::ResponsePrintBtnClick()
{
    // Said before the print dialog: a page without an answer cannot be printed.
    if (!lake_) {
        dialogs_.showError(this, qs(errorMessage(ErrorCode::NothingToPrint)));
        return;
    }
    if (!response_) {
        const engine::Error unreadable = engine::checkResponseRequest({targetText()});
        dialogs_.showError(this, unreadableTargetMessage(unreadable.message));
        return;
    }
    UserPrintDialog dialog(dialogs_, this);
    const auto printPage = [this](QPaintDevice& device) {
        return printResponseReport(device, responseReportTexts(*response_, (*lake_->inputs)[Input::NameEditBox],
                                                               (*lake_->inputs)[Input::EcoRegComboBox], format_));
    };
    runPrintCommand(printer_(), dialog, response_.has_value(), printPage,
                    [this](ErrorCode error) { dialogs_.showError(this, qs(errorMessage(error))); });
}

void TLoadResponsePage::ResponseHelpBtnClick()
{
    help_.showTopic(LoadResponseHelpContext, this);
}

}  // namespace trophex::ui
