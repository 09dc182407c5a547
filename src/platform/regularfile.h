#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QFile>
#include <QString>

// Files the program reads on its main thread: a FIFO, a socket or a device named like a media file
// would block an open or a read there, freezing the window and leaving the stop signals unheard. So
// the kind of file is checked first, without opening it, and the open itself never waits.
namespace RegularFile {

// What is at a path.
enum class Kind
{
    Missing, // nothing there, or nothing that can be looked at
    Regular,
    Other, // a folder, a FIFO, a socket, a device, or (not following links) a link
};

// Whether nothing at all is at path (lstat says ENOENT): not a file, a folder or a link, dangling or
// not. A path that cannot be looked at (no permission) is not gone.
bool isGone(const QByteArray &nativePath);

// Opens path for reading into file when it is a regular file (links followed); false for any other
// kind of file, and when it cannot be opened.
bool openForReading(QFile &file, const QString &path);

// The steps in which a file system of this type (statfs's f_type) keeps modification times, in
// nanoseconds: 2 s for FAT, 10 ms for exFAT, 1 or 100 ns for the file systems known to keep fine
// times, and 2 s for FUSE and any other, whose times may be as coarse as FAT's.
qint64 timeGranularityNs(quint32 fileSystemType);

// The folder the last file looked up through it lies in, kept open, so that the files of one album
// are each looked up by their name alone instead of a walk of the whole path. A folder that cannot
// be opened is not kept; its files are then looked up by their whole path. An open folder keeps its
// disk busy, so whoever keeps one lets go of it once its files are looked at.
class Folder
{
public:
    Folder() = default;
    ~Folder();
    Folder(const Folder &) = delete;
    Folder &operator=(const Folder &) = delete;

    // The descriptor of folder (opened when it is not the one kept), or -1.
    int descriptor(const QByteArray &folder);
    // The time granularity of the kept folder's file system, asked once per folder.
    qint64 timeGranularityNs();
    void release();

private:
    QByteArray m_path;
    int m_fd = -1;
    qint64 m_granularityNs = 0; // 0: not asked yet
};

// A regular file open for reading parts of it, with the fewest system calls: a stat (which also
// tells what is at the path when it is no regular file, which is then not opened) and an open, then
// one read for each part. Closed when it goes.
class Reader
{
public:
    enum class Links
    {
        Follow,
        Refuse, // a link at the path is Other, and not opened
    };

    // through: the folder to look path's file up from, if any.
    explicit Reader(const QString &path, Links links = Links::Follow, Folder *through = nullptr);
    ~Reader();
    Reader(const Reader &) = delete;
    Reader &operator=(const Reader &) = delete;

    // False when the file is no regular file or cannot be opened (kind tells which).
    bool isOpen() const { return m_fd >= 0; }
    Kind kind() const { return m_kind; }
    // Why the file is not open: the system's error number (EISDIR for a folder), or 0 when it is
    // open or is some other file that is not opened (a FIFO, a socket, a device, a refused link).
    int error() const { return m_error; }
    qint64 size() const { return m_size; }
    // The modification time in nanoseconds since the epoch, as the file system keeps it.
    qint64 modifiedNs() const { return m_modifiedNs; }
    // The steps in which the file's file system keeps that time (timeGranularityNs()); asked of the
    // folder when the file was looked up through one.
    qint64 timeGranularityNs() const;
    // At most count bytes from offset on; fewer at the file's end, none when it cannot be read.
    QByteArray read(qint64 offset, qsizetype count) const;

private:
    int m_fd = -1;
    Folder *m_folder = nullptr; // the folder the file was looked up from, if any
    Kind m_kind = Kind::Missing;
    int m_error = 0;
    qint64 m_size = 0;
    qint64 m_modifiedNs = 0;
};

// A regular file (links followed) mapped whole for reading, with the fewest system calls: a header
// read this way costs an open, a stat and a mapping, and only the pages read are read. Empty when
// the file is no regular file, cannot be opened or mapped, or is empty.
class Mapped
{
public:
    explicit Mapped(const QString &path);
    ~Mapped();
    Mapped(const Mapped &) = delete;
    Mapped &operator=(const Mapped &) = delete;

    QByteArrayView bytes() const { return m_bytes; }

private:
    QByteArrayView m_bytes;
};

} // namespace RegularFile
