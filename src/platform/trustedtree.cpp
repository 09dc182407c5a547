#include "platform/trustedtree.h"

#include <QByteArrayList>
#include <QFile>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace TrustedTree {

namespace {

// An open folder that closes itself.
class Descriptor
{
public:
    explicit Descriptor(int fd = -1)
        : m_fd(fd)
    {}
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    Descriptor(Descriptor &&other) noexcept
        : m_fd(std::exchange(other.m_fd, -1))
    {}
    Descriptor &operator=(Descriptor &&other) noexcept
    {
        std::swap(m_fd, other.m_fd);
        return *this;
    }
    int fd() const { return m_fd; }

private:
    int m_fd;
};

// The names below root on the way to path; empty (errno EXDEV) when path is not below root.
QByteArrayList levelsBelow(const QString &root, const QString &path)
{
    QString base = root;
    if (!base.endsWith(QLatin1Char('/')))
        base += QLatin1Char('/');
    if (!path.startsWith(base) || path.size() == base.size()) {
        errno = EXDEV;
        return {};
    }
    QByteArrayList levels = QFile::encodeName(path.mid(base.size())).split('/');
    levels.removeAll(QByteArray());
    if (levels.contains("..") || levels.contains(".")) {
        errno = EXDEV;
        return {};
    }
    return levels;
}

// The folder that holds path's last level, opened from root without following a link; the last
// level's name in name.
Descriptor openParent(const QString &root, const QString &path, QByteArray &name)
{
    const QByteArrayList levels = levelsBelow(root, path);
    if (levels.isEmpty())
        return Descriptor();
    Descriptor folder(::open(QFile::encodeName(root).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    for (qsizetype k = 0; folder.fd() >= 0 && k + 1 < levels.size(); ++k)
        folder = Descriptor(
            ::openat(folder.fd(), levels[k].constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    name = levels.constLast();
    return folder;
}

bool isRegularIn(int folder, const QByteArray &name)
{
    struct stat status = {};
    if (::fstatat(folder, name.constData(), &status, AT_SYMLINK_NOFOLLOW) != 0)
        return false;
    if (S_ISLNK(status.st_mode))
        errno = ELOOP;
    else if (!S_ISREG(status.st_mode))
        errno = EISDIR;
    return S_ISREG(status.st_mode);
}

} // namespace

QString linkOnTheWay(const QString &root, const QString &path)
{
    const QByteArrayList levels = levelsBelow(root, path);
    QByteArray walked = QFile::encodeName(root);
    for (const QByteArray &level : levels) {
        if (!walked.endsWith('/'))
            walked += '/';
        walked += level;
        struct stat status = {};
        if (::lstat(walked.constData(), &status) != 0)
            return {};
        if (S_ISLNK(status.st_mode))
            return QFile::decodeName(walked);
    }
    return {};
}

bool removeFile(const QString &root, const QString &path)
{
    QByteArray name;
    const Descriptor folder = openParent(root, path, name);
    return folder.fd() >= 0 && isRegularIn(folder.fd(), name) &&
           ::unlinkat(folder.fd(), name.constData(), 0) == 0;
}

bool renameFile(const QString &root, const QString &from, const QString &to)
{
    QByteArray fromName;
    QByteArray toName;
    const Descriptor fromFolder = openParent(root, from, fromName);
    const Descriptor toFolder = openParent(root, to, toName);
    if (fromFolder.fd() < 0 || toFolder.fd() < 0 || !isRegularIn(fromFolder.fd(), fromName))
        return false;
    if (::renameat2(fromFolder.fd(), fromName.constData(), toFolder.fd(), toName.constData(),
                    RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)
        return false;
    // FAT knows no rename that refuses a target: the names this renames to are the process's own.
    struct stat status = {};
    if (::fstatat(toFolder.fd(), toName.constData(), &status, AT_SYMLINK_NOFOLLOW) == 0) {
        errno = EEXIST;
        return false;
    }
    return ::renameat(fromFolder.fd(), fromName.constData(), toFolder.fd(), toName.constData()) == 0;
}

void removeEmptyFolders(const QString &root, const QString &folder, const QString &stop)
{
    QString stopFolder = stop;
    while (stopFolder.endsWith(QLatin1Char('/')))
        stopFolder.chop(1);
    QString current = folder;
    while (current.endsWith(QLatin1Char('/')))
        current.chop(1);
    while (current.size() > stopFolder.size() && current.startsWith(stopFolder + QLatin1Char('/'))) {
        QByteArray name;
        const Descriptor parent = openParent(root, current, name);
        if (parent.fd() < 0 || ::unlinkat(parent.fd(), name.constData(), AT_REMOVEDIR) != 0)
            return;
        current = current.left(current.lastIndexOf(QLatin1Char('/')));
    }
}

} // namespace TrustedTree
