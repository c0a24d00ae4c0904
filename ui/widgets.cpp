#include "ui/widgets.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>

#include <QStyle>

#include <algorithm>
#include <limits>

namespace trophex::ui {

void installFontSubstitutes()
{
    QFont::insertSubstitutions(QStringLiteral("Arial"), {QStringLiteral("Liberation Sans"), QStringLiteral("Arimo")});
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                               {QStringLiteral("Liberation Sans"), QStringLiteral("Arimo")});
}

QFont pixelFont(const QString& family, int pixelSize, bool bold, bool italic)
{
    QFont font(family);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setItalic(italic);
    return font;
}

namespace {

// Boxes hold texts of any length, so that a data file's line comes back whole on saving.
void removeLengthLimit(QLineEdit* box)
{
    box->setMaxLength(std::numeric_limits<int>::max());
}

}  // namespace

QLabel* addLabel(QWidget* parent, const QString& text, QRect geometry)
{
    auto* label = new QLabel(text, parent);
    label->setGeometry(geometry);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return label;
}

QLineEdit* addEditBox(QWidget* parent, const QString& name, QRect geometry)
{
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setGeometry(geometry);
    removeLengthLimit(box);
    return box;
}

QLineEdit* addResultBox(QWidget* parent, const QString& name, QRect geometry)
{
    QLineEdit* box = addEditBox(parent, name, geometry);
    box->setReadOnly(true);
    return box;
}

void setResultText(QLineEdit* box, const QString& text)
{
    box->setText(text);
    box->setCursorPosition(0);
}

int resultBoxWidth(const QFont& font, const QString& longestText)
{
    // The box's frame and the margins it keeps around its text on each side, and the cursor.
    QLineEdit probe;
    const int frame = probe.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, &probe);
    constexpr int TextMargin = 2;
    constexpr int Cursor = 1;
    return QFontMetrics(font).horizontalAdvance(longestText) + 2 * (frame + TextMargin) + Cursor;
}

void focusFrom(QWidget* control, int position)
{
    auto* selector = qobject_cast<QComboBox*>(control);
    QLineEdit* box = selector ? selector->lineEdit() : qobject_cast<QLineEdit*>(control);
    if (!box)
        return;
    control->setFocus(Qt::OtherFocusReason);
    const int start = std::clamp(position - 1, 0, int(box->text().size()));
    box->setSelection(start, int(box->text().size()) - start);
}

QComboBox* addSelector(QWidget* parent, const QString& name, const QStringList& items, const QString& text,
                       QRect geometry)
{
    auto* selector = new QComboBox(parent);
    selector->setObjectName(name);
    selector->setEditable(true);
    removeLengthLimit(selector->lineEdit());
    selector->setCompleter(nullptr);
    selector->setInsertPolicy(QComboBox::NoInsert);
    selector->addItems(items);
    selector->setGeometry(geometry);
    setSelectorText(selector, text);
    return selector;
}

void setSelectorText(QComboBox* selector, const QString& text)
{
    const int item = selector->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (item >= 0)
        selector->setCurrentIndex(item);
    selector->setEditText(text);
}

void onUserChange(QComboBox* selector, const std::function<void()>& handler)
{
    QObject::connect(selector, &QComboBox::textActivated, selector, [handler] { handler(); });
    QObject::connect(selector->lineEdit(), &QLineEdit::textEdited, selector, [handler] { handler(); });
}

QString lakeNamed(const std::string& name, bool startsSentence)
{
    constexpr int Longest = 60;
    QString text = QString::fromStdString(name).simplified();
    if (text.isEmpty())
        return startsSentence ? QStringLiteral("The lake without a name") : QStringLiteral("the lake without a name");
    if (text.size() > Longest)
        text = text.left(Longest - 1) + QChar(0x2026);
    return text;
}

QString textOf(const QWidget* control)
{
    if (const auto* box = qobject_cast<const QLineEdit*>(control))
        return box->text();
    if (const auto* selector = qobject_cast<const QComboBox*>(control))
        return selector->currentText();
    if (const auto* label = qobject_cast<const QLabel*>(control))
        return label->text();
    return {};
}

void setTextOf(QWidget* control, const QString& text)
{
    if (auto* box = qobject_cast<QLineEdit*>(control))
        box->setText(text);
    else if (auto* selector = qobject_cast<QComboBox*>(control))
        setSelectorText(selector, text);
}

namespace {

// The separator above the menu's closing item, or that item when no separator stands there.
QAction* closingItems(const QMenu& menu)
{
    const QList<QAction*> actions = menu.actions();
    if (actions.size() >= 2 && actions[actions.size() - 2]->isSeparator())
        return actions[actions.size() - 2];
    return actions.isEmpty() ? nullptr : actions.back();
}

}  // namespace

QAction* addBeforeClosingItem(QMenu& menu, const QString& text)
{
    auto* action = new QAction(text, &menu);
    menu.insertAction(closingItems(menu), action);
    return action;
}

QAction* addSeparatorBeforeClosingItem(QMenu& menu)
{
    return menu.insertSeparator(closingItems(menu));
}

}  // namespace trophex::ui
