#pragma once
// Small helpers shared by the windows: placing labels, edit boxes and editable selectors
// at fixed positions, fonts by pixel size, and reading or setting a control's text.

#include <QFont>
#include <QRect>
#include <QString>
#include <QStringList>

#include <functional>
#include <string>

class QComboBox;
class QAction;
class QLabel;
class QMenu;
class QLineEdit;
class QWidget;

namespace trophex::ui {

// Maps the Windows font names the windows ask for onto installed metric-compatible fonts.
void installFontSubstitutes();

QFont pixelFont(const QString& family, int pixelSize, bool bold, bool italic = false);

QLabel* addLabel(QWidget* parent, const QString& text, QRect geometry);
QLineEdit* addEditBox(QWidget* parent, const QString& name, QRect geometry);

// A box that shows a result: read-only, so that what it shows is always what was computed,
// but selectable and copyable, and reached by the Tab key like any box.
QLineEdit* addResultBox(QWidget* parent, const QString& name, QRect geometry);
// Shows a result's text from its start: a text wider than its box never shows its end
// without its start.
void setResultText(QLineEdit* box, const QString& text);

// The width a result box needs to show the text whole in the font.
int resultBoxWidth(const QFont& font, const QString& longestText);

// Puts the focus on an edit box or selector and selects its text from the 1-based position
// to its end.
void focusFrom(QWidget* control, int position);

// An editable drop-down list that accepts typed text as it stands: no completion, and no
// insertion of typed texts into the list.
QComboBox* addSelector(QWidget* parent, const QString& name, const QStringList& items, const QString& text,
                       QRect geometry);

// Sets a selector's text, choosing the list item when the text is one.
void setSelectorText(QComboBox* selector, const QString& text);

// Runs the handler when the user picks an item from the list and on every typed edit,
// never when the program sets the text.
void onUserChange(QComboBox* selector, const std::function<void()>& handler);

// The text an edit box, selector or label shows.
QString textOf(const QWidget* control);

// A lake as the windows name it in their texts: its name as typed, shortened with an ellipsis
// when it would fill a line (the Lake Name box holds it whole), or "the lake without a name"
// ("The ..." at the start of a sentence).
QString lakeNamed(const std::string& name, bool startsSentence = false);

// A command added to a menu whose last item closes it (the File menu's Exit): it stands
// before that item and the separator above it, so that the closing item stays last.
QAction* addBeforeClosingItem(QMenu& menu, const QString& text);
// A separator added there.
QAction* addSeparatorBeforeClosingItem(QMenu& menu);
void setTextOf(QWidget* control, const QString& text);

// A text of the engine, in UTF-8, as a QString.
inline QString qs(const std::string& text)
{
    return QString::fromStdString(text);
}

// A list of the engine's Latin-1 texts (unit names, target kinds) as a selector lists them.
template <typename Texts>
QStringList qsList(const Texts& texts)
{
    QStringList list;
    for (const char* text : texts)
        list << QString::fromLatin1(text);
    return list;
}

}  // namespace trophex::ui
