#pragma once
// The desktop program's application object. An exception that escapes an event handler
// does not end the program: it is shown in the error box, and the event loop goes on.

#include <QApplication>

namespace trophex::ui {

class UserDialogs;

class TrophexApplication : public QApplication {
public:
    // dialogs shows the error box; it must outlive the application object.
    TrophexApplication(int& argc, char** argv, UserDialogs& dialogs);

    bool notify(QObject* receiver, QEvent* event) override;

private:
    UserDialogs& dialogs_;  // where an escaping exception is shown
};

}  // namespace trophex::ui
