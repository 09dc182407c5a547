#include "media/cuesheet.h"

#include <QCoreApplication>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(CueSheet)
};

constexpr int framesPerSecond = 75;
// Longer minutes than any image holds; the bound keeps the samples of any rate in 64 bits.
constexpr qsizetype longestMinutes = 6;

constexpr QLatin1StringView remarkNames[] = {
    "DATE"_L1,
    "GENRE"_L1,
    "COMMENT"_L1,
    "DISCID"_L1,
    "DISCNUMBER"_L1,
    "TOTALDISCS"_L1,
    "COMPOSER"_L1,
    "REPLAYGAIN_ALBUM_GAIN"_L1,
    "REPLAYGAIN_ALBUM_PEAK"_L1,
    "REPLAYGAIN_TRACK_GAIN"_L1,
    "REPLAYGAIN_TRACK_PEAK"_L1,
};

// The words a FILE line ends with after an unquoted name.
constexpr QLatin1StringView fileTypes[] = {"WAVE"_L1,   "MP3"_L1,      "AIFF"_L1,
                                           "BINARY"_L1, "MOTOROLA"_L1, "FLAC"_L1};

// The first word of a piece of a line, and what follows it.
std::pair<QStringView, QStringView> splitWord(QStringView text)
{
    text = text.trimmed();
    const qsizetype end =
        std::find_if(text.begin(), text.end(), [](QChar c) { return c.isSpace(); }) - text.begin();
    return {text.first(end), text.sliced(end).trimmed()};
}

// A quoted value up to its closing quote (or the line's end), else the rest of the line.
QString value(QStringView text)
{
    text = text.trimmed();
    if (!text.startsWith(u'"'))
        return text.toString();
    text = text.sliced(1);
    const qsizetype close = text.indexOf(u'"');
    return (close < 0 ? text : text.first(close)).toString();
}

QString fileName(QStringView rest)
{
    rest = rest.trimmed();
    if (rest.startsWith(u'"'))
        return value(rest);
    const qsizetype lastSpace =
        std::find_if(rest.rbegin(), rest.rend(), [](QChar c) { return c.isSpace(); }).base() - rest.begin();
    const QStringView lastWord = rest.sliced(lastSpace);
    const bool typed = lastSpace > 0 && std::ranges::any_of(fileTypes, [lastWord](QLatin1StringView type) {
                           return lastWord.compare(type, Qt::CaseInsensitive) == 0;
                       });
    return (typed ? rest.first(lastSpace).trimmed() : rest).toString();
}

bool allDigits(QStringView text, qsizetype longest)
{
    return !text.isEmpty() && text.size() <= longest &&
           std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

// mm:ss:ff in frames; minutes may pass 99.
std::optional<qint64> frames(QStringView time)
{
    const QList<QStringView> parts = time.split(u':');
    if (parts.size() != 3 || !allDigits(parts[0], longestMinutes) || !allDigits(parts[1], 2) ||
        !allDigits(parts[2], 2))
        return std::nullopt;
    const qint64 seconds = parts[1].toInt();
    const qint64 frame = parts[2].toInt();
    if (seconds >= 60 || frame >= framesPerSecond)
        return std::nullopt;
    return (parts[0].toLongLong() * 60 + seconds) * framesPerSecond + frame;
}

// The lines of a text, ended by CR LF, LF or CR.
QList<QStringView> lines(const QString &text)
{
    QList<QStringView> found;
    for (qsizetype at = text.startsWith(QChar::ByteOrderMark) ? 1 : 0; at < text.size(); ++at) {
        const qsizetype end =
            std::find_if(text.begin() + at, text.end(), [](QChar c) { return c == u'\n' || c == u'\r'; }) -
            text.begin();
        found.append(QStringView(text).sliced(at, end - at));
        at = end + (QStringView(text).sliced(end).startsWith(u"\r\n") ? 1 : 0);
    }
    return found;
}

// Walks the lines; the first problem ends the walk.
class Parser
{
public:
    std::variant<CueSheet, CueProblem> parse(const QString &text)
    {
        const QList<QStringView> all = lines(text);
        for (qsizetype k = 0; k < all.size() && !m_problem; ++k)
            line(all[k], int(k + 1));
        if (!m_problem)
            m_problem = m_sheet.problem();
        if (m_problem)
            return *m_problem;
        return m_sheet;
    }

private:
    void line(QStringView text, int number)
    {
        const auto [word, rest] = splitWord(text);
        const QString command = word.toString().toUpper();
        CueSheet::Track *track = m_track >= 0 ? &m_sheet.tracks[m_track] : nullptr;
        if (command == "FILE"_L1) {
            m_sheet.files.append({fileName(rest), number});
            m_last01.reset();
        } else if (command == "TRACK"_L1) {
            m_trackSeen = true;
            const auto [trackNumber, type] = splitWord(rest);
            const bool audio = splitWord(type).first.compare("AUDIO"_L1, Qt::CaseInsensitive) == 0;
            m_track = audio && !m_sheet.files.isEmpty() ? int(m_sheet.tracks.size()) : -1;
            if (m_track >= 0) {
                CueSheet::Track &added = m_sheet.tracks.emplace_back();
                added.number = trackNumber.toInt();
                added.file = int(m_sheet.files.size() - 1);
                added.line = number;
            }
        } else if (command == "INDEX"_L1 && track) {
            index(*track, rest, number);
        } else if (command == "REM"_L1) {
            const auto [name, remark] = splitWord(rest);
            const QString key = name.toString().toUpper();
            // Remarks of a track that is not audio are dropped with it.
            const bool kept = track || !m_trackSeen;
            if (kept && std::ranges::find(remarkNames, key) != std::end(remarkNames))
                (track ? track->remarks : m_sheet.remarks)[key] = value(remark);
        } else if (QString *field = textField(command, track)) {
            *field = value(rest);
        }
    }

    QString *textField(const QString &command, CueSheet::Track *track)
    {
        if (m_trackSeen && !track)
            return nullptr;
        if (command == "TITLE"_L1)
            return track ? &track->title : &m_sheet.title;
        if (command == "PERFORMER"_L1)
            return track ? &track->performer : &m_sheet.performer;
        if (command == "SONGWRITER"_L1)
            return track ? &track->songwriter : &m_sheet.songwriter;
        if (command == "ISRC"_L1)
            return track ? &track->isrc : nullptr;
        if (command == "CATALOG"_L1)
            return track ? nullptr : &m_sheet.catalog;
        return nullptr;
    }

    void index(CueSheet::Track &track, QStringView rest, int number)
    {
        const auto [indexNumber, time] = splitWord(rest);
        const int which = allDigits(indexNumber, 2) ? indexNumber.toInt() : -1;
        if (which != 0 && which != 1)
            return;
        const std::optional<qint64> position = frames(splitWord(time).first);
        if (!position) {
            m_problem = {CueProblem::Kind::MalformedTime, number};
            return;
        }
        const int file = int(m_sheet.files.size() - 1);
        // Each index once, INDEX 00 first; a gap may begin where the track before does, in its file.
        const bool repeated = track.index01 || (which == 0 && track.index00);
        const bool beforeLastTrack =
            m_last01 && (which == 0 ? *position < *m_last01 : *position <= *m_last01);
        const bool beforeOwnGap =
            which == 1 && track.index00 && m_index00File == file && *position < track.index00->value;
        if (repeated || beforeLastTrack || beforeOwnGap) {
            m_problem = {CueProblem::Kind::IndexesOutOfOrder, number};
            return;
        }
        if (which == 0) {
            track.index00 = CuePosition{CuePosition::Unit::Frames, *position};
            m_index00File = file;
        } else {
            track.index01 = CuePosition{CuePosition::Unit::Frames, *position};
            track.file = file;
            m_last01 = *position;
        }
    }

    CueSheet m_sheet;
    std::optional<CueProblem> m_problem;
    int m_track = -1; // into m_sheet.tracks; -1 outside an audio track
    bool m_trackSeen = false;
    std::optional<qint64> m_last01; // of the current file
    int m_index00File = -1;
};

} // namespace

qint64 CuePosition::samples(int sampleRate) const
{
    if (unit == Unit::Samples)
        return value;
    // Whole seconds apart from the frames left over, so that no product leaves 64 bits.
    const qint64 rate = std::max(sampleRate, 0);
    const qint64 leftOver = value % framesPerSecond;
    return value / framesPerSecond * rate + (leftOver * rate * 2 + framesPerSecond) / (2 * framesPerSecond);
}

QString CueProblem::reason() const
{
    switch (kind) {
    case Kind::NoTracks:
        return Texts::tr("没有音轨");
    case Kind::IndexPastEnd:
        return Texts::tr("时间超出文件长度");
    case Kind::IndexesOutOfOrder:
        return Texts::tr("时间顺序错误");
    case Kind::NoIndex01:
        return Texts::tr("缺少 INDEX 01");
    case Kind::MalformedTime:
        return Texts::tr("时间格式错误");
    case Kind::MissingFile:
        return Texts::tr("指向的文件不存在");
    case Kind::EncodingNotRecognised:
        return Texts::tr("无法识别 CUE 表的编码");
    case Kind::SheetTooLarge:
        return Texts::tr("CUE 表过大");
    }
    return {};
}

QString CueProblem::text() const
{
    if (line > 0)
        return Texts::tr("CUE 表有误：%1（第 %2 行）").arg(reason(), QString::number(line));
    return Texts::tr("CUE 表有误：%1").arg(reason());
}

std::variant<CueSheet, CueProblem> CueSheet::parse(const QString &text)
{
    return Parser().parse(text);
}

QStringList CueSheet::fileNames(const QString &text)
{
    QStringList names;
    for (const QStringView line : lines(text)) {
        const auto [word, rest] = splitWord(line);
        if (word.compare("FILE"_L1, Qt::CaseInsensitive) == 0)
            names.append(fileName(rest));
    }
    return names;
}

std::optional<CueProblem> CueSheet::problem() const
{
    if (tracks.isEmpty())
        return CueProblem{CueProblem::Kind::NoTracks, 0};
    for (qsizetype k = 0; k < tracks.size(); ++k) {
        const Track &track = tracks[k];
        if (!track.index01)
            return CueProblem{CueProblem::Kind::NoIndex01, track.line};
        if (track.file < 0 || track.file >= files.size())
            return CueProblem{CueProblem::Kind::NoTracks, track.line};
        const Track *before = k > 0 && tracks[k - 1].file == track.file ? &tracks[k - 1] : nullptr;
        if (before && before->index01->value >= track.index01->value)
            return CueProblem{CueProblem::Kind::IndexesOutOfOrder, track.line};
    }
    return std::nullopt;
}

std::variant<QList<TrackRange>, CueProblem> CueSheet::trackRanges(int file, int sampleRate,
                                                                  qint64 totalSamples) const
{
    QList<TrackRange> ranges;
    for (qsizetype k = 0; k < tracks.size(); ++k) {
        if (tracks[k].file != file || !tracks[k].index01)
            continue;
        const qint64 start = tracks[k].index01->samples(sampleRate);
        if (start >= totalSamples)
            return CueProblem{CueProblem::Kind::IndexPastEnd, tracks[k].line};
        if (!ranges.isEmpty()) {
            if (start <= ranges.last().start)
                return CueProblem{CueProblem::Kind::IndexesOutOfOrder, tracks[k].line};
            ranges.last().end = start;
        }
        // Audio before the file's first INDEX 01 joins its first track.
        ranges.append({int(k), ranges.isEmpty() ? 0 : start, totalSamples});
    }
    return ranges;
}

bool CueSheet::oneFilePerTrack() const
{
    QList<int> tracksOfFile(files.size());
    for (const Track &track : tracks) {
        if (track.file >= 0 && track.file < files.size() && ++tracksOfFile[track.file] > 1)
            return false;
    }
    return true;
}
