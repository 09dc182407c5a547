#include "platform/regularfile.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace RegularFile {

bool isGone(const QByteArray &nativePath)
{
    struct stat status = {};
    return ::lstat(nativePath.constData(), &status) != 0 && errno == ENOENT;
}

bool openForReading(QFile &file, const QString &path)
{
    // O_NONBLOCK: a FIFO put in the file's place after a check opens at once and is refused below.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat status = {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) ||
        !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
    return true;
}

qint64 timeGranularityNs(quint32 fileSystemType)
{
    // Not in linux/magic.h.
    constexpr quint32 zfs = 0x2fc12fc1;
    constexpr quint32 ntfs3 = 0x7366746e;
    constexpr qint64 second = 1'000'000'000;
    switch (fileSystemType) {
    case EXFAT_SUPER_MAGIC:
        return 10'000'000;
    case CIFS_SUPER_MAGIC:
    case SMB2_SUPER_MAGIC:
    case ntfs3:
        return 100;
    case EXT4_SUPER_MAGIC: // also ext2 and ext3
    case BTRFS_SUPER_MAGIC:
    case XFS_SUPER_MAGIC:
    case TMPFS_MAGIC:
    case F2FS_SUPER_MAGIC:
    case NFS_SUPER_MAGIC:
    case OVERLAYFS_SUPER_MAGIC:
    case zfs:
    case RAMFS_MAGIC:
        return 1;
    case MSDOS_SUPER_MAGIC:
    case FUSE_SUPER_MAGIC: // a FAT image mounted through FUSE keeps FAT's times
    default:
        return 2 * second;
    }
}

namespace {

qint64 granularityOf(int fd)
{
    struct statfs status = {};
    return timeGranularityNs(::fstatfs(fd, &status) == 0 ? quint32(status.f_type) : 0);
}

} // namespace

Folder::~Folder()
{
    release();
}

void Folder::release()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_granularityNs = 0;
    m_path.clear();
}

qint64 Folder::timeGranularityNs()
{
    if (m_granularityNs == 0)
        m_granularityNs = granularityOf(m_fd);
    return m_granularityNs;
}

int Folder::descriptor(const QByteArray &folder)
{
    if (m_fd >= 0 && folder == m_path)
        return m_fd;
    release();
    m_fd = ::open(folder.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    m_path = m_fd >= 0 ? folder : QByteArray();
    return m_fd;
}

Reader::Reader(const QString &path, Links links, Folder *through)
{
    // Looked at first, so that a FIFO, a socket or a device is never opened. O_NONBLOCK: should one
    // take the file's place meanwhile, the open does not wait, and reading it gives nothing.
    QByteArray name = QFile::encodeName(path);
    int folder = AT_FDCWD;
    const qsizetype slash = name.lastIndexOf('/');
    if (through && slash > 0) {
        folder = through->descriptor(name.left(slash));
        if (folder >= 0) {
            name.remove(0, slash + 1);
            m_folder = through;
        } else {
            folder = AT_FDCWD;
        }
    }
    struct stat status = {};
    const int looked =
        ::fstatat(folder, name.constData(), &status, links == Links::Refuse ? AT_SYMLINK_NOFOLLOW : 0);
    if (looked != 0) {
        m_error = errno;
        return;
    }
    if (!S_ISREG(status.st_mode)) {
        m_kind = Kind::Other;
        m_error = S_ISDIR(status.st_mode) ? EISDIR : 0;
        return;
    }
    m_kind = Kind::Regular;
    m_size = status.st_size;
    m_modifiedNs = qint64(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec;
    const int noFollow = links == Links::Refuse ? O_NOFOLLOW : 0;
    m_fd = ::openat(folder, name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | noFollow);
    if (m_fd < 0)
        m_error = errno;
}

Reader::~Reader()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

qint64 Reader::timeGranularityNs() const
{
    return m_folder ? m_folder->timeGranularityNs() : granularityOf(m_fd);
}

QByteArray Reader::read(qint64 offset, qsizetype count) const
{
    if (m_fd < 0 || offset < 0 || offset >= m_size)
        return {};
    QByteArray bytes(std::min<qint64>(count, m_size - offset), Qt::Uninitialized);
    const ssize_t read = ::pread(m_fd, bytes.data(), size_t(bytes.size()), offset);
    bytes.resize(std::max<ssize_t>(read, 0));
    return bytes;
}

Mapped::Mapped(const QString &path)
{
    // O_NONBLOCK: a FIFO put in the file's place after a check opens at once and is refused below.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return;
    struct stat status = {};
    if (::fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && status.st_size > 0) {
        void *bytes = ::mmap(nullptr, size_t(status.st_size), PROT_READ, MAP_SHARED, fd, 0);
        if (bytes != MAP_FAILED)
            m_bytes = QByteArrayView(static_cast<const char *>(bytes), qsizetype(status.st_size));
    }
    ::close(fd);
}

Mapped::~Mapped()
{
    if (!m_bytes.isEmpty())
        ::munmap(const_cast<char *>(m_bytes.data()), size_t(m_bytes.size()));
}

} // namespace RegularFile
