#include "shell/userservices.h"

#include <QDebug>
#include <QTimer>

namespace {

class LoggingServices final : public UserServices
{
public:
    void showMessage(Icon, const QString &title, const QString &text) override
    {
        qWarning().noquote() << title << text;
    }
    void openPath(const QString &) override {}
    void playSound(const QString &, QObject *context, std::function<void()> finished) override
    {
        QTimer::singleShot(0, context, std::move(finished));
    }
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
