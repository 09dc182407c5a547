#include "platform/regularfile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace RegularFile {

Kind kindOf(const QString &path)
{
    struct stat status = {};
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return Kind::Missing;
    return S_ISREG(status.st_mode) ? Kind::Regular : Kind::Other;
}

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

QByteArrayView mapForReading(QFile &file, const QString &path)
{
    if (!openForReading(file, path) || file.size() == 0)
        return {};
    const uchar *bytes = file.map(0, file.size());
    return bytes ? QByteArrayView(bytes, file.size()) : QByteArrayView();
}

} // namespace RegularFile
