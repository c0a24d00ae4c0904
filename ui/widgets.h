#pragma once
// Small helpers shared by the windows: placing labels, edit boxes and editable selectors
// at fixed positions, fonts by pixel size, and reading or setting a control's text.

#include <QFont>
#include <QRect>
#include <QString>
#include <QStringList>

#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class QWidget;

namespace trophex::ui {

// Maps the Windows font names the windows ask for onto installed metric-compatible fonts.
void installFontSubstitutes();

QFont pixelFont(const QString& family, int pixelSize, bool bold, bool italic = false);

QLabel* addLabel(QWidget* parent, const QString& text, QRect geometry);
QLineEdit* addEditBox(QWidget* parent, const QString& name, QRect geometry);

// An editable drop-down list that accepts typed text as it stands: no completion, no
// insertion of typed texts into the list, and skipped by the Tab key.
QComboBox* addSelector(QWidget* parent, const QString& name, const QStringList& items, const QString& text,
                       QRect geometry);

// Sets a selector's text, choosing the list item when the text is one.
void setSelectorText(QComboBox* selector, const QString& text);

// Runs the handler when the user picks an item from the list and on every typed edit,
// never when the program sets the text.
void onUserChange(QComboBox* selector, const std::function<void()>& handler);

// The text an edit box, selector or label shows.
QString textOf(const QWidget* control);
void setTextOf(QWidget* control, const QString& text);

}  // namespace trophex::ui
