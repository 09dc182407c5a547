// Built together with the program's own main.cpp into a copy of tunoxa that clicks Start in the
// first millisecond its window shows, so that a test can end the real program from outside in the
// middle of a conversion, and a Start pressed before the start-up's deferred work still converts.
#include <QApplication>
#include <QPushButton>
#include <QTimer>

namespace {

void clickStartOnceShown()
{
    // The start-up makes a QCoreApplication first and runs no event loop in it; only the
    // QApplication's loop ever runs this timer.
    auto *poll = new QTimer(QCoreApplication::instance());
    QObject::connect(poll, &QTimer::timeout, poll, [poll] {
        for (QWidget *window : QApplication::topLevelWidgets()) {
            auto *start = window->findChild<QPushButton *>(QStringLiteral("startButton"));
            if (window->isVisible() && start && start->isEnabled()) {
                start->click();
                poll->deleteLater();
                return;
            }
        }
    });
    poll->start(1);
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(clickStartOnceShown)
