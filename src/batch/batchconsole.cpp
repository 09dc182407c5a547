#include "batch/batchconsole.h"

#include "batch/batchtexts.h"
#include "runner/runnertexts.h"

#include <algorithm>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {

bool standardOutputIsTerminal()
{
#ifdef Q_OS_UNIX
    return ::isatty(STDOUT_FILENO) == 1;
#else
    return false;
#endif
}

void put(std::FILE *stream, const QByteArray &bytes)
{
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

// Line wrap goes off while the bars are drawn, so that a long name never takes a second line
// and every bar stays one line to move over; it comes back after each drawing.
const QByteArray wrapOff = QByteArrayLiteral("\x1b[?7l");
const QByteArray wrapOn = QByteArrayLiteral("\x1b[?7h");

// One bar as it is drawn: caption, percentage, the bar, the file's name.
QString barText(const BatchConsole::Bar &bar)
{
    const double fraction = std::clamp(bar.fraction, 0.0, 1.0);
    const int filled = int(fraction * BatchConsole::BarWidth);
    return RunnerTexts::converting() + QLatin1Char(' ') +
           QString::number(fraction * 100, 'f', 1).rightJustified(5) + QStringLiteral("% [") +
           QString(filled, QLatin1Char('#')) + QString(BatchConsole::BarWidth - filled, QLatin1Char('.')) +
           QStringLiteral("] ") + bar.name;
}

} // namespace

BatchConsole::BatchConsole()
    : m_terminal(standardOutputIsTerminal())
{}

void BatchConsole::printLine(const QString &line)
{
    writeAbove(stdout, line);
}

void BatchConsole::printError(const QString &line)
{
    writeAbove(stderr, line);
}

void BatchConsole::showBars(const QList<Bar> &bars)
{
    if (!m_terminal)
        return;
    const QByteArray erased = barsTakenOff();
    m_bars = bars;
    put(stdout, erased + barsDrawn());
}

void BatchConsole::writeAbove(std::FILE *stream, const QString &line)
{
    const QByteArray text = line.toUtf8() + '\n';
    if (!m_terminal || m_drawnLines == 0) {
        put(stream, text);
        return;
    }
    put(stdout, barsTakenOff());
    put(stream, text);
    put(stdout, barsDrawn());
}

QByteArray BatchConsole::barsTakenOff()
{
    if (m_drawnLines == 0)
        return {};
    // Up to the first bar's line, then clear everything below.
    const QByteArray moves = "\x1b[" + QByteArray::number(m_drawnLines) + "A\r\x1b[J";
    m_drawnLines = 0;
    return moves;
}

QByteArray BatchConsole::barsDrawn()
{
    m_drawnLines = m_bars.size();
    if (m_bars.isEmpty())
        return {};
    QByteArray drawing = wrapOff;
    for (const Bar &bar : m_bars)
        drawing += barText(bar).toUtf8() + '\n';
    return drawing + wrapOn;
}
