#include "filelist/imagesheets.h"

#include "media/cuetext.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <cerrno>

#include <unistd.h>

using namespace Qt::StringLiterals;

namespace ImageSheets {

QByteArray folderOf(const QByteArray &path)
{
    return path.left(path.lastIndexOf('/') + 1);
}

QByteArray nameOf(const QByteArray &path)
{
    return path.mid(path.lastIndexOf('/') + 1);
}

QString stemOf(const QString &name)
{
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot > 0 ? name.left(dot) : name;
}

QByteArray audioOfStem(const QByteArray &sheet, const QStringList &folderNames)
{
    const QString stem = stemOf(QFile::decodeName(nameOf(sheet)));
    for (const QString &name : folderNames) {
        if (isAudioName(name) && stemOf(name).compare(stem, Qt::CaseInsensitive) == 0)
            return folderOf(sheet) + QFile::encodeName(name);
    }
    return {};
}

bool isAudioPath(const QByteArray &path)
{
    return isAudioName(QFile::decodeName(nameOf(path)));
}

bool isAudioName(const QString &name)
{
    return name.endsWith(u".flac"_s, Qt::CaseInsensitive);
}

QByteArray fileNamed(const QString &name, const QByteArray &folder, const QStringList &folderNames)
{
    if (folderNames.contains(name))
        return folder + QFile::encodeName(name);
    for (const QString &other : folderNames) {
        if (other.compare(name, Qt::CaseInsensitive) == 0)
            return folder + QFile::encodeName(other);
    }
    return {};
}

Sheet readSheet(const QByteArray &path, const QStringList &folderNames, const AlbumImages::Options &options)
{
    Sheet sheet;
    sheet.path = path;
    const QByteArray folder = folderOf(path);
    QFile file(QFile::decodeName(path));
    if (file.size() > CueText::largestSheet) {
        sheet.problem = CueProblem{CueProblem::Kind::SheetTooLarge, 0};
        return sheet;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        sheet.problem = CueProblem{CueProblem::Kind::NoTracks, 0};
        sheet.openError = ::access(path.constData(), R_OK) == 0 ? EIO : errno;
        return sheet;
    }
    const auto exists = [&](const QString &name) {
        return !fileNamed(name.section(u'/', -1), folder, folderNames).isEmpty();
    };
    const std::optional<CueText::Decoded> decoded =
        CueText::decode(file.read(CueText::largestSheet), exists, options.forcedEncoding);
    if (!decoded) {
        sheet.problem = CueProblem{CueProblem::Kind::EncodingNotRecognised, 0};
        return sheet;
    }
    std::variant<CueSheet, CueProblem> parsed = CueSheet::parse(decoded->text);
    if (const CueProblem *problem = std::get_if<CueProblem>(&parsed)) {
        sheet.problem = *problem;
        for (const QString &name : CueSheet::fileNames(decoded->text)) {
            const QByteArray image =
                fileNamed(name.section(u'/', -1).section(u'\\', -1), folder, folderNames);
            if (!image.isEmpty())
                sheet.named.append(image);
        }
        return sheet;
    }
    sheet.cue = std::get<CueSheet>(std::move(parsed));
    for (qsizetype index = 0; index < sheet.cue.files.size(); ++index) {
        const QByteArray image =
            fileNamed(sheet.cue.files[index].name.section(u'/', -1).section(u'\\', -1), folder, folderNames);
        if (!image.isEmpty())
            sheet.images.insert(int(index), image);
    }
    // An image re-encoded after the sheet was written keeps its stem, or is the folder's only audio.
    if (sheet.cue.files.size() == 1 && sheet.images.isEmpty()) {
        QStringList audio = folderNames;
        audio.removeIf([](const QString &name) { return !isAudioName(name); });
        QByteArray image = audioOfStem(path, folderNames);
        if (image.isEmpty() && audio.size() == 1)
            image = folder + QFile::encodeName(audio.constFirst());
        if (!image.isEmpty())
            sheet.images.insert(0, image);
    }
    if (sheet.images.isEmpty() && !sheet.cue.oneFilePerTrack())
        sheet.problem = CueProblem{CueProblem::Kind::MissingFile, sheet.cue.files.value(0).line};
    return sheet;
}

const Sheet *sheetFor(const QByteArray &image, const QList<const Sheet *> &sheets)
{
    const QString imageName = QFile::decodeName(nameOf(image));
    const auto named = [&sheets](const QString &wanted) -> const Sheet * {
        for (const Sheet *sheet : sheets) {
            if (QFile::decodeName(nameOf(sheet->path)).compare(wanted, Qt::CaseInsensitive) == 0)
                return sheet;
        }
        return nullptr;
    };
    if (const Sheet *sheet = named(stemOf(imageName) + u".cue"_s))
        return sheet;
    if (const Sheet *sheet = named(imageName + u".cue"_s))
        return sheet;
    return sheets.constFirst();
}

QStringList namesIn(const QByteArray &folder)
{
    return QDir(QFile::decodeName(folder.isEmpty() ? QByteArray(".") : folder))
        .entryList(QDir::Files | QDir::Hidden | QDir::System);
}

} // namespace ImageSheets
