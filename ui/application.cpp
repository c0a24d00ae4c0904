#include "ui/application.h"

#include "ui/dialogs.h"

#include "model/errors.h"

#include <exception>

namespace trophex::ui {

TrophexApplication::TrophexApplication(int& argc, char** argv, UserDialogs& dialogs)
    : QApplication(argc, argv), dialogs_(dialogs)
{
}

bool TrophexApplication::notify(QObject* receiver, QEvent* event)
{
    QString message;
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        message = QString::fromStdString(exceptionMessage(e));
    }
    dialogs_.showError(activeWindow(), message);
    return false;
}

}  // namespace trophex::ui
