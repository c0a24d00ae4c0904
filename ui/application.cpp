#include "ui/application.h"

#include "ui/dialogs.h"

#include <cerrno>
#include <cstring>
#include <exception>
#include <new>

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
    } catch (const std::bad_alloc&) {
        message = QString::fromLocal8Bit(std::strerror(ENOMEM));
    } catch (const std::exception& e) {
        message = QString::fromLocal8Bit(e.what());
    }
    dialogs_.showError(activeWindow(), message);
    return false;
}

}  // namespace trophex::ui
