#include "batch/consoleservices.h"

#include "batch/batchtexts.h"
#include "conversion/runtexts.h"

#include <QTimer>

ConsoleServices::ConsoleServices(std::function<void(const QString &)> print)
    : m_print(std::move(print))
{}

void ConsoleServices::showMessage(Icon, const QString &title, const QString &text)
{
    // The run's failure box stops after its first lines; the batch names every failed file itself.
    if (title == RunTexts::failedTitle())
        return;
    m_print(BatchTexts::programName() + QStringLiteral(": ") + text);
}

void ConsoleServices::playSound(const QString &, QObject *context, std::function<void()> finished)
{
    QTimer::singleShot(0, context, std::move(finished));
}

void ConsoleServices::askYesNo(const QString &, const QString &, QObject *context,
                               std::function<void(bool)> answered)
{
    QTimer::singleShot(0, context, [answered = std::move(answered)] { answered(true); });
}
