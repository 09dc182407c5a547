#pragma once

#include "albumbench.h"

#include <QDir>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>

#include <cstdio>

// What the start-up and memory benches share: the environment of each start and a copy of the
// program folder, so that a start measured never writes into the build's own program folder.
namespace StartRounds {

// The bench's environment with a cache (work) folder of its own; offscreen when no display is set.
inline QProcessEnvironment environment(const QString &cacheFolder)
{
    QProcessEnvironment result = QProcessEnvironment::systemEnvironment();
    result.insert(QStringLiteral("XDG_CACHE_HOME"), cacheFolder);
    if (!result.contains(QStringLiteral("QT_QPA_PLATFORM")) && !result.contains(QStringLiteral("DISPLAY")) &&
        !result.contains(QStringLiteral("WAYLAND_DISPLAY")))
        result.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    return result;
}

// A copy of the program folder (launchers, translations, shipped settings) made in `parent`; the
// closing window writes its settings there. Empty when the copy failed.
inline QString copyOfProgramFolder(const QString &parent)
{
    const QString copy = parent + QStringLiteral("/program");
    const int status = QProcess::execute(QStringLiteral("cp"),
                                         {QStringLiteral("-a"), QStringLiteral(TUNOXA_PROGRAM_DIR), copy});
    return status == 0 ? copy : QString();
}

inline void printHeader(const QProcessEnvironment &environment, int rounds)
{
    const QString language =
        environment.value(QStringLiteral("LC_ALL"), environment.value(QStringLiteral("LANG")));
    std::printf("platform %s, locale %s, %d interleaved rounds\n",
                qPrintable(environment.value(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"))),
                qPrintable(language.isEmpty() ? QStringLiteral("C") : language), rounds);
}

inline void printSpread(const char *what, const QList<double> &values, const char *unit)
{
    const AlbumBench::Spread spread = AlbumBench::spreadOf(values);
    std::printf("%-52s min %7.2f  median %7.2f  max %7.2f %s\n", what, spread.min, spread.median, spread.max,
                unit);
}

} // namespace StartRounds
