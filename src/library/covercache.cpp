#include "library/covercache.h"

#include "conversion/formattable.h"
#include "conversion/recipes.h"
#include "conversion/toolnames.h"
#include "platform/regularfile.h"
#include "platform/workpaths.h"
#include "runner/toolrunner.h"

#include <QCryptographicHash>
#include <QFile>
#include <QTimer>

CoverCache::CoverCache(QObject *parent)
    : QObject(parent)
    , m_runner(new ToolRunner(this))
{
    // A picture whose decode would take longer or more memory than any real cover is left out.
    m_runner->setLimits({DecodeMemoryBytes, DecodeSeconds});
    connect(m_runner, &ToolRunner::finished, this, &CoverCache::imageWritten);
    // Without the encoder no track converts either, and says so: the picture is simply left out.
    connect(m_runner, &ToolRunner::startFailed, this, &CoverCache::imageWritten);
}

void CoverCache::begin(const QString &workFolder, const QString &programFolder, int maxEdge)
{
    end();
    m_workFolder = workFolder;
    m_programFolder = programFolder;
    m_maxEdge = maxEdge;
    m_written = 0;
}

void CoverCache::stop()
{
    m_queue.clear();
    m_waiting.clear();
    m_runner->terminate();
}

void CoverCache::end()
{
    stop();
    for (const QString &kept : std::as_const(m_keptPictures)) {
        if (!kept.isEmpty())
            QFile::remove(kept);
    }
    for (auto prepared = m_prepared.cbegin(); prepared != m_prepared.cend(); ++prepared) {
        if (!prepared.value().isEmpty() && prepared.value() != prepared.key())
            QFile::remove(prepared.value());
    }
    m_folders.clear();
    m_prepared.clear();
    m_keptPictures.clear();
}

std::optional<FolderCover::Found> CoverCache::folderCover(const QString &folder)
{
    auto found = m_folders.constFind(folder);
    if (found == m_folders.cend())
        found = m_folders.insert(folder, FolderCover::inFolder(folder));
    return *found;
}

QString CoverCache::keepPicture(const QByteArray &image, const QString &extension)
{
    const QByteArray hash = QCryptographicHash::hash(image, QCryptographicHash::Sha1).toHex();
    if (const auto kept = m_keptPictures.constFind(hash); kept != m_keptPictures.cend())
        return *kept;
    const QString path = WorkPaths::scratchFolder(m_workFolder) + QStringLiteral("/picture-") +
                         QString::fromLatin1(hash) + extension;
    QFile file(path);
    const bool written =
        file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(image) == image.size();
    m_keptPictures.insert(hash, written ? path : QString());
    return m_keptPictures.value(hash);
}

std::optional<QString> CoverCache::prepare(const QString &image, QObject *context,
                                           std::function<void(const QString &)> ready)
{
    if (!m_prepared.contains(image) && !m_waiting.contains(image)) {
        const RegularFile::Reader file(image);
        const CoverImage::Header header = CoverImage::readHeader(file.read(0, HeaderBytes));
        if (header.kind == CoverImage::Header::Kind::Broken) {
            m_prepared.insert(image, QString());
        } else if (CoverImage::fitsAsItIs(header, file.size(), m_maxEdge)) {
            m_prepared.insert(image, image);
        } else {
            m_queue.append(image);
            if (m_queue.size() == 1)
                startNext();
        }
    }
    if (const auto prepared = m_prepared.constFind(image); prepared != m_prepared.cend())
        return *prepared;
    m_waiting[image].append({context, std::move(ready)});
    return std::nullopt;
}

void CoverCache::startNext()
{
    if (m_queue.isEmpty())
        return;
    m_writing = WorkPaths::scratchFolder(m_workFolder) + QStringLiteral("/cover-%1.jpg").arg(++m_written);
    QFile::remove(m_writing);
    // One thread, so that the memory limit is the decode's and not the threads' stacks.
    QStringList arguments{QStringLiteral("-threads"), QStringLiteral("1"), QStringLiteral("-i"),
                          m_queue.constFirst()};
    // Scaled down into a square of the largest edge (never up), as a baseline JPEG.
    if (m_maxEdge > 0)
        arguments << QStringLiteral("-vf")
                  << QStringLiteral(
                         "scale=w=min(%1\\,iw):h=min(%1\\,ih):force_original_aspect_ratio=decrease")
                         .arg(m_maxEdge);
    arguments << QStringLiteral("-frames:v") << QStringLiteral("1") << QStringLiteral("-q:v")
              << QStringLiteral("2") << QStringLiteral("-y") << m_writing;
    m_runner->start({Recipes::toolPath(m_programFolder, ToolName::coder.toString()), arguments});
}

void CoverCache::imageWritten()
{
    if (m_queue.isEmpty())
        return;
    const QString &output = m_writing;
    const RegularFile::Reader file(output);
    const CoverImage::Header header = CoverImage::readHeader(file.read(0, HeaderBytes));
    const bool written = m_runner->endStatus() == ToolRunner::EndStatus::Exited &&
                         m_runner->exitCode() == 0 && header.kind == CoverImage::Header::Kind::BaselineJpeg &&
                         CoverImage::fitsAsItIs(header, file.size(), m_maxEdge);
    const QString image = m_queue.takeFirst();
    m_prepared.insert(image, written ? output : QString());
    tell(image, m_prepared.value(image));
    startNext();
}

void CoverCache::tell(const QString &image, const QString &prepared)
{
    const QList<Waiter> waiting = m_waiting.take(image);
    for (const Waiter &waiter : waiting) {
        if (waiter.context)
            QTimer::singleShot(0, waiter.context, [ready = waiter.ready, prepared] { ready(prepared); });
    }
}
