#pragma once
// The About box: the start-up screen shown over the disabled main window for three
// seconds, and later the About window of the Help menu, closed with its OK button. Escape
// and Return close it as the OK button, or as the system's close at start-up, would.

#include <QWidget>

class QPushButton;
class QTimer;

namespace trophex::ui {

inline constexpr int StartupScreenMilliseconds = 3000;

class TAboutBox : public QWidget {
    Q_OBJECT

public:
    // Created visible, as the start-up screen, with its timer running.
    explicit TAboutBox(QWidget& mainWindow);

    // Stops the timer for good, hides the box and enables the main window.
    void Timer1Timer();
    void OKButtonClick();

    // The About window of the Help menu: the box again, now with its OK button.
    void showAsAboutWindow();

    QTimer* Timer1() const { return timer_; }
    QPushButton* OKButton() const { return okButton_; }

signals:
    // The start-up screen has gone and the main window is enabled.
    void startupScreenEnded();

protected:
    void FormClose();
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QWidget& mainWindow_;
    QPushButton* okButton_;
    QTimer* timer_;
};

}  // namespace trophex::ui
