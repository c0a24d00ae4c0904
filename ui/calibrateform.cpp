#include "ui/calibrateform.h"

#include "ui/glyphs.h"
#include "ui/helpviewer.h"
#include "ui/mainform.h"
#include "ui/widgets.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

namespace trophex::ui {

namespace {

struct CalibrationRow {
    const char* label;  // caption
    const char* box;    // edit box object name
};

// Calibration set order: five calibration variables, V1 to V8, S1 and S2.
constexpr CalibrationRow Rows[CalibrationCount] = {
    {"Stream P (ug/L)", "StreamEditBox"},
    {"Precipitation (m/yr)", "PrecipEditBox"},
    {"Evaporation (m/yr)", "EvapEditBox"},
    {"Runoff (m/yr)", "RunoffEditBox"},
    {"Atom. Load (kg/km2 yr)", "AtmosEditBox"},  // "Atom.", as the dialog always had it
    {"V1", "V1EditBox"},
    {"V2", "V2Editbox"},
    {"V3", "V3EditBox"},
    {"V4", "V4EditBox"},
    {"V5", "V5EditBox"},
    {"V6", "V6EditBox"},
    {"V7", "V7EditBox"},
    {"V8", "V8EditBox"},
    {"S1", "S1EditBox"},
    {"S2", "S2EditBox"},
};
constexpr int FirstErrorTerm = 5;
constexpr int FirstStatistic = 13;

QPushButton* addButton(QWidget* parent, const QString& name, const QString& caption, const QIcon& glyph, QRect geometry)
{
    auto* button = new QPushButton(glyph, caption, parent);
    button->setObjectName(name);
    button->setIconSize(QSize(16, 16));
    button->setGeometry(geometry);
    return button;
}

QGroupBox* addGroup(QWidget* parent, const QString& name, const QString& title, QRect geometry)
{
    auto* group = new QGroupBox(title, parent);
    group->setObjectName(name);
    group->setGeometry(geometry);
    return group;
}

}  // namespace

TCalibrateForm::TCalibrateForm(TMainForm& mainForm, HelpViewer& help) : mainForm_(mainForm), help_(help)
{
    setObjectName(QStringLiteral("CalibrateForm"));
    setWindowTitle(QStringLiteral("Calibrate"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setFont(pixelFont(QStringLiteral("MS Sans Serif"), 11, true));
    setFixedSize(450, 336);

    okButton_ = addButton(this, QStringLiteral("OKBtn"), QStringLiteral("OK"), okGlyph(), QRect(8, 260, 73, 27));
    defaultButton_ =
        addButton(this, QStringLiteral("DefaultBtn"), QStringLiteral("Default"), defaultGlyph(), QRect(92, 260, 69, 27));
    auto* helpButton =
        addButton(this, QStringLiteral("HelpBtn"), QStringLiteral("&Help"), helpGlyph(), QRect(168, 260, 73, 27));
    okButton_->setDefault(true);
    connect(okButton_, &QPushButton::clicked, this, &TCalibrateForm::OKBtnClick);
    connect(defaultButton_, &QPushButton::clicked, this, &TCalibrateForm::DefaultBtnClick);
    connect(helpButton, &QPushButton::clicked, this, &TCalibrateForm::HelpBtnClick);

    createCalibrationGroup();
    createErrorGroups();
    for (QLineEdit* box : boxes_)
        connect(box, &QLineEdit::textChanged, this, &TCalibrateForm::calibrationTextsChanged);
    okButton_->setFocus();
    FormCreate();
}

void TCalibrateForm::createCalibrationGroup()
{
    QGroupBox* group = addGroup(this, QStringLiteral("GroupBox1"), QStringLiteral("Calibration Variables"),
                                QRect(8, 8, 241, 201));
    for (int i = 0; i < FirstErrorTerm; ++i) {
        const int top = 32 + 32 * i;
        addLabel(group, QString::fromLatin1(Rows[i].label), QRect(8, top, 134, 20));
        boxes_[i] = addEditBox(group, QString::fromLatin1(Rows[i].box), QRect(144, top, 89, 20));
    }
}

void TCalibrateForm::createErrorGroups()
{
    QGroupBox* errorTerms =
        addGroup(this, QStringLiteral("GroupBox2"), QStringLiteral("Error Terms"), QRect(256, 8, 185, 225));
    QGroupBox* statistics =
        addGroup(this, QStringLiteral("GroupBox3"), QStringLiteral("Chlr a Statistics"), QRect(256, 240, 185, 81));
    for (int i = FirstErrorTerm; i < CalibrationCount; ++i) {
        QGroupBox* group = i < FirstStatistic ? errorTerms : statistics;
        const int top = 24 + 24 * (i < FirstStatistic ? i - FirstErrorTerm : i - FirstStatistic);
        addLabel(group, QString::fromLatin1(Rows[i].label), QRect(24, top, 36, 20));
        boxes_[i] = addEditBox(group, QString::fromLatin1(Rows[i].box), QRect(64, top, 105, 20));
    }
}

CalibrationTexts TCalibrateForm::calibrationTexts() const
{
    CalibrationTexts texts;
    for (int i = 0; i < CalibrationCount; ++i)
        texts[i] = boxes_[i]->text().toStdString();
    return texts;
}

void TCalibrateForm::setCalibrationTexts(const CalibrationTexts& texts)
{
    for (int i = 0; i < CalibrationCount; ++i)
        boxes_[i]->setText(QString::fromStdString(texts[i]));
}

void TCalibrateForm::focusBox(Input input, int position)
{
    focusFrom(boxes_[static_cast<int>(input) - FirstCalibrationInput], position);
}

void TCalibrateForm::FormCreate()
{
    DefaultBtnClick();
}

void TCalibrateForm::DefaultBtnClick()
{
    setCalibrationTexts(calibrationDefaults(mainForm_.ecoregionText().toStdString()));
}

void TCalibrateForm::OKBtnClick()
{
    mainForm_.setEnabled(true);
    hide();
}

void TCalibrateForm::HelpBtnClick()
{
    help_.showTopic(CalibrationHelpContext, this);
}

void TCalibrateForm::FormClose()
{
    mainForm_.setEnabled(true);
}

void TCalibrateForm::closeEvent(QCloseEvent* event)
{
    FormClose();
    event->accept();
}

void TCalibrateForm::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        defaultButton_->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TCalibrateForm::showEvent(QShowEvent* event)
{
    if (!shownBefore_) {
        shownBefore_ = true;
        move(screen()->availableGeometry().center() - rect().center());
    }
    QDialog::showEvent(event);
}

}  // namespace trophex::ui
