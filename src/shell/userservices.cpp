#include "shell/userservices.h"

#include <QDebug>

namespace {

class LoggingServices final : public UserServices
{
public:
    void showMessage(Icon, const QString &title, const QString &text) override
    {
        qWarning().noquote() << title << text;
    }
    void openPath(const QString &) override {}
    void playSoundSync(const QString &) override {}
};

LoggingServices loggingServices;
UserServices *current = &loggingServices;

} // namespace

UserServices &UserServices::instance()
{
    return *current;
}

void UserServices::setInstance(UserServices *services)
{
    current = services ? services : &loggingServices;
}
