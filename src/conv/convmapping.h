#pragma once

#include <QString>
#include <QStringList>

// The MEncoder command syntax that conv accepts, turned into an ffmpeg argument list.
// Only the options the stage-1 recipes use are known; everything else is refused.
namespace ConvMapping {

struct Plan
{
    QString input;
    QString output;
    // From "-i" to the output path: what the conversion is. Logging and progress options are
    // the runner's business and are not part of it.
    QStringList ffmpegArguments;
    // The part of the input converted, in seconds: from cutStart, cutLength long; a negative
    // length runs to the input's end.
    double cutStart = 0;
    double cutLength = -1;
    // Why the command was refused; empty when it was accepted.
    QString error;

    bool accepted() const { return error.isEmpty(); }
};

Plan map(const QStringList &arguments);

// The muxer ffmpeg would pick for this output name, from its extension; empty when unknown.
QString muxerForFileName(const QString &fileName);

} // namespace ConvMapping
