#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <cstdio>

// Where tunoxa-batch writes: lines on standard output (a finished or failed file, the closing
// caption), messages on standard error, and, when standard output is a terminal, a bar per running
// file below the lines, redrawn in place.
class BatchConsole
{
public:
    struct Bar
    {
        QString name;
        double fraction = 0; // 0 to 1
    };

    static constexpr int BarWidth = 24;

    BatchConsole();

    bool isTerminal() const { return m_terminal; }
    void printLine(const QString &line);
    void printError(const QString &line);
    // Replaces the bars shown; nothing when standard output is no terminal.
    void showBars(const QList<Bar> &bars);
    void clearBars() { showBars({}); }

private:
    // Writes text above the bars: the bars are taken off first and drawn again after it.
    void writeAbove(std::FILE *stream, const QString &line);
    // The terminal's moves that take the bars off, and the bars' drawing; each keeps count of the
    // lines on screen.
    QByteArray barsTakenOff();
    QByteArray barsDrawn();

    const bool m_terminal;
    QList<Bar> m_bars;
    qsizetype m_drawnLines = 0;
};
