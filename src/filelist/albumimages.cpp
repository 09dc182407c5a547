#include "filelist/albumimages.h"

#include "filelist/imagesheets.h"

#include "media/cuesheet.h"
#include "media/cuetext.h"
#include "media/flacmetadata.h"
#include "platform/regularfile.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QMap>
#include <QSet>

#include <algorithm>
#include <cerrno>

#include <unistd.h>

using namespace Qt::StringLiterals;

namespace AlbumImages {

namespace {

using namespace ImageSheets;

// A folder scan looks inside the FLAC files of folders of at most this many for a sheet.
constexpr int MostImagesInFolder = 4;

Job plainJob(const QByteArray &native)
{
    Job job;
    job.native = native;
    job.path = QFile::decodeName(native);
    return job;
}

QString numberText(int number)
{
    return QStringLiteral("%1").arg(number, 2, 10, QLatin1Char('0'));
}

// The tags of a track: the sheet's, over what the image holds for the whole album.
QList<QPair<QString, QString>> trackTags(const CueSheet &cue, const CueSheet::Track &track)
{
    QList<QPair<QString, QString>> tags{
        {u"TITLE"_s, track.title},
        {u"ARTIST"_s, track.performer.isEmpty() ? cue.performer : track.performer},
        {u"TRACKNUMBER"_s, QString::number(track.number)},
        {u"TRACKTOTAL"_s, QString::number(cue.tracks.size())},
        {u"CUESHEET"_s, QString()}};
    const auto add = [&tags](const QString &name, const QString &value) {
        if (!value.isEmpty())
            tags.append({name, value});
    };
    add(u"ALBUMARTIST"_s, cue.performer);
    add(u"ALBUM"_s, cue.title);
    add(u"ISRC"_s, track.isrc);
    const QString songwriter = track.songwriter.isEmpty() ? cue.songwriter : track.songwriter;
    add(u"COMPOSER"_s, songwriter.isEmpty()
                           ? track.remarks.value(u"COMPOSER"_s, cue.remarks.value(u"COMPOSER"_s))
                           : songwriter);
    for (const QString &remark : {u"DATE"_s, u"GENRE"_s, u"COMMENT"_s, u"DISCNUMBER"_s})
        add(remark, track.remarks.value(remark, cue.remarks.value(remark)));
    add(u"DISCTOTAL"_s, cue.remarks.value(u"TOTALDISCS"_s));
    for (const QString &gain : {u"REPLAYGAIN_ALBUM_GAIN"_s, u"REPLAYGAIN_ALBUM_PEAK"_s})
        add(gain, cue.remarks.value(gain));
    for (const QString &gain : {u"REPLAYGAIN_TRACK_GAIN"_s, u"REPLAYGAIN_TRACK_PEAK"_s})
        add(gain, track.remarks.value(gain));
    return tags;
}

Job refusedJob(const Sheet &sheet, const CueProblem &problem)
{
    Job job = plainJob(sheet.path);
    job.refusal =
        sheet.openError != 0
            ? FileFailure{FileFailure::Kind::SourceUnreachable, QString::number(sheet.openError)}
            : FileFailure{FileFailure::Kind::CueSheetWrong,
                          QString::number(int(problem.kind)) + u' ' + QString::number(problem.line)};
    return job;
}

// What the stream header of an image says; none for a file that cannot be read or is no FLAC.
std::optional<FlacMetadata::StreamInfo> streamInfoOf(const QByteArray &image)
{
    const QString path = QFile::decodeName(image);
    const RegularFile::Reader reader(path);
    return reader.isOpen() ? FlacMetadata::streamInfo(reader, path) : std::nullopt;
}

// The tracks of an image as the sheet splits it; when it cannot, one refused job, or for a sheet
// inside the image (no path of its own) the image whole, with a note.
QList<Job> tracksOf(const QByteArray &image, const std::optional<FlacMetadata::StreamInfo> &info,
                    const Sheet &sheet, int file)
{
    // An image whose length its header leaves open converts whole.
    if (!info || info->sampleRate <= 0 || info->totalSamples <= 0)
        return {plainJob(image)};
    const std::variant<QList<TrackRange>, CueProblem> ranges =
        sheet.cue.trackRanges(file, info->sampleRate, info->totalSamples);
    if (const CueProblem *problem = std::get_if<CueProblem>(&ranges)) {
        if (!sheet.path.isEmpty())
            return {refusedJob(sheet, *problem)};
        Job whole = plainJob(image);
        whole.notes.append(FileNote::SheetIgnored);
        return {whole};
    }
    QList<Job> jobs;
    for (const TrackRange &range : std::get<QList<TrackRange>>(ranges)) {
        const CueSheet::Track &track = sheet.cue.tracks[range.track];
        Job job = plainJob(image);
        job.track = track.number;
        if (!sheet.path.isEmpty())
            job.sheetPath = QFile::decodeName(sheet.path);
        job.range = SampleRange{range.start, range.end, info->sampleRate};
        job.tags = trackTags(sheet.cue, track);
        QString title = track.title.trimmed();
        title.replace(u'/', u'_').replace(QChar(0), u'_');
        job.outputStem =
            title.isEmpty() ? numberText(track.number) : numberText(track.number) + u" - "_s + title;
        jobs.append(job);
    }
    return jobs;
}

// A FLAC file alone: an image when a sheet inside it (a CUESHEET comment, else a CUESHEET block)
// splits it. A folder scan looks inside the files of folders of a few only: albums of tracks are
// not read twice for it.
QList<Job> fileJobs(const QByteArray &path, bool lookInside)
{
    const QString text = QFile::decodeName(path);
    if (!lookInside || !isAudioName(text))
        return {plainJob(path)};
    const RegularFile::Reader reader(text);
    if (!reader.isOpen())
        return {plainJob(path)};
    const FlacMetadata::Head head(reader, text);
    Sheet inside;
    const QStringList comment = head.comments().value(u"CUESHEET"_s);
    if (!comment.isEmpty()) {
        std::variant<CueSheet, CueProblem> parsed = CueSheet::parse(comment.constFirst());
        if (CueSheet *cue = std::get_if<CueSheet>(&parsed))
            inside.cue = std::move(*cue);
    } else if (!head.cueSheetBlock().isEmpty()) {
        inside.cue = FlacMetadata::cueSheet(head.cueSheetBlock()).value_or(CueSheet());
    } else {
        return {plainJob(path)};
    }
    if (inside.cue.tracks.size() == 1)
        return {plainJob(path)};
    return tracksOf(path, head.streamInfo(), inside,
                    inside.cue.tracks.isEmpty() ? 0 : inside.cue.tracks.constFirst().file);
}

// A sheet named by itself when images are not split: the image of its stem, whole, unless it was
// named too.
QList<Job> imageOfStem(const QByteArray &sheet, const QList<QByteArray> &named)
{
    const QByteArray image = audioOfStem(sheet, namesIn(folderOf(sheet)));
    if (image.isEmpty() || named.contains(image))
        return {};
    return {plainJob(image)};
}

// The discs of a set whose images lie in one folder share its output folder: their tracks' names
// start with the disc's number ("1-01 - Title"), the sheet's DISCNUMBER where each has its own, else
// the image's place in the folder.
void separateDiscs(QList<Job> &jobs)
{
    QList<QByteArray> images;
    QStringList numbers;
    for (const Job &job : std::as_const(jobs)) {
        if (job.range && !images.contains(job.native)) {
            images.append(job.native);
            const auto disc = std::find_if(job.tags.cbegin(), job.tags.cend(),
                                           [](const auto &tag) { return tag.first == u"DISCNUMBER"_s; });
            numbers.append(disc == job.tags.cend() ? QString() : disc->second.section(u'/', 0, 0).trimmed());
        }
    }
    if (images.size() < 2)
        return;
    const bool ownNumbers = !numbers.contains(QString()) &&
                            QSet<QString>(numbers.cbegin(), numbers.cend()).size() == numbers.size();
    for (Job &job : jobs) {
        const qsizetype image = job.range ? images.indexOf(job.native) : -1;
        if (image >= 0)
            job.outputStem =
                (ownNumbers ? numbers[image] : QString::number(image + 1)) + u'-' + job.outputStem;
    }
}

// Few enough audio files in a folder that it may hold images rather than an album of tracks.
bool fewFiles(const QList<QByteArray> &paths)
{
    return std::count_if(paths.cbegin(), paths.cend(), isAudioPath) <= MostImagesInFolder;
}

// The jobs of paths of one folder.
QList<Job> jobsInFolder(const QByteArray &folder, const QList<QByteArray> &paths, const Options &options,
                        bool lookInside)
{
    QList<QByteArray> sheetPaths;
    for (const QByteArray &path : paths) {
        if (isSheetName(path))
            sheetPaths.append(path);
    }
    const QStringList folderNames = namesIn(folder);
    // A file named by itself is an image when a sheet beside it names it.
    if (sheetPaths.size() < paths.size()) {
        for (const QString &name : folderNames) {
            const QByteArray path = folder + QFile::encodeName(name);
            if (isSheetName(path) && !sheetPaths.contains(path))
                sheetPaths.append(path);
        }
    }
    QList<Sheet> sheets;
    for (const QByteArray &path : std::as_const(sheetPaths))
        sheets.append(readSheet(path, folderNames, options));
    QHash<QByteArray, QList<const Sheet *>> sheetsOfImage;
    for (const Sheet &sheet : std::as_const(sheets)) {
        for (const QByteArray &image : sheet.images)
            sheetsOfImage[image].append(&sheet);
    }
    QList<Job> jobs;
    // What a sheet that cannot be read, decoded or parsed would split is not converted whole either:
    // the image of its stem.
    QSet<QByteArray> listed;
    for (const Sheet &sheet : std::as_const(sheets)) {
        if (!sheet.problem || !sheet.cue.files.isEmpty())
            continue;
        QList<QByteArray> blocked = sheet.named;
        if (const QByteArray image = audioOfStem(sheet.path, folderNames);
            blocked.isEmpty() && !image.isEmpty())
            blocked.append(image);
        for (const QByteArray &image : std::as_const(blocked)) {
            if (!sheetsOfImage.contains(image))
                listed.insert(image);
        }
    }
    const auto addImage = [&](const QByteArray &image) {
        if (listed.contains(image))
            return;
        listed.insert(image);
        const Sheet *sheet = sheetFor(image, sheetsOfImage.value(image));
        if (sheet->cue.oneFilePerTrack())
            jobs.append(plainJob(image));
        else
            jobs += tracksOf(image, streamInfoOf(image), *sheet, sheet->images.key(image));
    };
    for (const QByteArray &path : paths) {
        if (sheetsOfImage.contains(path)) {
            addImage(path);
        } else if (!isSheetName(path)) {
            if (!listed.contains(path))
                jobs += fileJobs(path, lookInside);
            listed.insert(path);
        } else {
            const auto sheet = std::find_if(sheets.cbegin(), sheets.cend(),
                                            [&path](const Sheet &read) { return read.path == path; });
            if (sheet->problem)
                jobs.append(refusedJob(*sheet, *sheet->problem));
            for (const QByteArray &image : sheet->images)
                addImage(image);
        }
    }
    return jobs;
}

} // namespace

bool isSheetName(const QByteArray &name)
{
    return name.size() >= 4 && name.right(4).toLower() == ".cue";
}

QList<Job> jobsOf(const QList<QByteArray> &paths, const Options &options, bool folderScanned)
{
    QList<Job> jobs;
    for (qsizetype first = 0; first < paths.size();) {
        const QByteArray folder = folderOf(paths[first]);
        qsizetype end = first + 1;
        while (end < paths.size() && folderOf(paths[end]) == folder)
            ++end;
        const QList<QByteArray> group = paths.mid(first, end - first);
        const bool anySheet = std::any_of(group.cbegin(), group.cend(), isSheetName);
        first = end;
        if (!options.split) {
            for (const QByteArray &path : group) {
                if (!isSheetName(path))
                    jobs.append(plainJob(path));
                else if (!folderScanned)
                    jobs += imageOfStem(path, group);
            }
            continue;
        }
        const bool lookInside = !folderScanned || fewFiles(group);
        QList<Job> groupJobs;
        if (anySheet || (!folderScanned && std::any_of(group.cbegin(), group.cend(), isAudioPath))) {
            groupJobs = jobsInFolder(folder, group, options, lookInside);
        } else {
            for (const QByteArray &path : group)
                groupJobs += fileJobs(path, lookInside);
        }
        separateDiscs(groupJobs);
        jobs += groupJobs;
    }
    return jobs;
}

} // namespace AlbumImages
