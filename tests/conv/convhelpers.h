#pragma once

#include "common/testmedia.h"
#include "conversion/recipes.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>

// What the conv tests share: recipes built against the real program folder, run the way the
// runner runs them (program and arguments, merged output, no input), and read back with ffprobe.
namespace ConvHelpers {

inline QString convPath()
{
    return TestMedia::programFolder() + QStringLiteral("/data/conv");
}

inline RecipeInput recipeInput(const QString &input, const QString &outputFolder, const QString &intermediate,
                               const EncodingSettings &settings)
{
    RecipeInput in;
    in.programFolder = TestMedia::programFolder();
    in.inputPath = input;
    in.outputFolder = outputFolder;
    in.settings = settings;
    in.clock = QTime(14, 3, 7);
    in.work.intermediate = intermediate;
    in.work.probeWav = QDir(outputFolder).filePath(QStringLiteral("tmp.wav"));
    return in;
}

using TestMedia::runCommand;

// Every "(NN%)" the encoder printed, in order.
inline QList<int> percentages(const QByteArray &output)
{
    static const QRegularExpression pattern(QStringLiteral("\\( ?(\\d{1,3})%\\)"));
    QList<int> found;
    auto it = pattern.globalMatch(QString::fromUtf8(output));
    while (it.hasNext())
        found << it.next().captured(1).toInt();
    return found;
}

// Frames of the first video stream, counted by decoding it.
inline int countedFrames(const QString &path)
{
    const TestMedia::ToolResult r =
        TestMedia::run(QStringLiteral("ffprobe"),
                       {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-count_frames"),
                        QStringLiteral("-select_streams"), QStringLiteral("v:0"),
                        QStringLiteral("-show_entries"), QStringLiteral("stream=nb_read_frames"),
                        QStringLiteral("-of"), QStringLiteral("default=nw=1:nk=1"), path});
    bool ok = false;
    const int frames = QString::fromUtf8(r.output).trimmed().toInt(&ok);
    return ok ? frames : -1;
}

// "24/1" or "30000/1001" as a number.
inline double frameRate(const QJsonObject &stream)
{
    const QStringList parts = stream.value(QStringLiteral("r_frame_rate")).toString().split(QLatin1Char('/'));
    if (parts.size() != 2 || parts.at(1).toDouble() == 0)
        return 0;
    return parts.at(0).toDouble() / parts.at(1).toDouble();
}

// Whether ffprobe names a codec for every stream of the file.
inline bool everyStreamReadable(const QJsonObject &probe)
{
    const QJsonArray streams = probe.value(QStringLiteral("streams")).toArray();
    if (streams.isEmpty())
        return false;
    for (const QJsonValue &s : streams) {
        if (s.toObject().value(QStringLiteral("codec_name")).toString().isEmpty())
            return false;
    }
    return true;
}

} // namespace ConvHelpers
