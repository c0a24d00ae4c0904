#pragma once
// The main window's status line. It says when an input or calibration text differs from
// the texts that the results on show were calculated from, so that nobody reads (or prints)
// results as those of inputs they were not calculated from.

#include <QStatusBar>

class QLabel;

namespace trophex::ui {

inline constexpr const char* InputsChangedMessage = "Inputs changed since the last calculation: press Calculate";

class StatusLine : public QStatusBar {
    Q_OBJECT

public:
    explicit StatusLine(QWidget* parent);

    // Shows the message while changed is true, nothing otherwise.
    void setInputsChanged(bool changed);
    // What the line says now; empty when it says nothing.
    QString text() const;

private:
    QLabel* label_;  // kept, unlike a status bar's passing messages, until the inputs match
};

}  // namespace trophex::ui
