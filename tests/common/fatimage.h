#pragma once

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// A FAT or exFAT file system of a few megabytes, mounted through FUSE for as long as this lives:
// FAT16 by fusefat (which takes ASCII names only), exFAT by exfat-fuse on a loop device (root).
// Where that cannot be done (no /dev/fuse, no loop device), isMounted() says so.
class FatImage
{
public:
    enum class Kind
    {
        Fat,
        ExFat,
    };

    explicit FatImage(Kind kind = Kind::Fat)
        : m_kind(kind)
    {
        const QString image = m_dir.filePath(QStringLiteral("fat.img"));
        m_mount = m_dir.filePath(QStringLiteral("fat"));
        QFile file(image);
        if (!QDir().mkpath(m_mount) || !file.open(QIODevice::WriteOnly) || !file.resize(16 << 20))
            return;
        file.close();
        if (kind == Kind::Fat) {
            m_mounted =
                run(QStringLiteral("mkfs.vfat"), {image}) &&
                run(QStringLiteral("fusefat"), {QStringLiteral("-o"), QStringLiteral("rw+"), image, m_mount});
            return;
        }
        QProcess loop;
        loop.start(QStringLiteral("losetup"), {QStringLiteral("--find"), QStringLiteral("--show"), image});
        if (!run(QStringLiteral("mkfs.exfat"), {image}) || !loop.waitForFinished() || loop.exitCode() != 0)
            return;
        m_device = QString::fromLocal8Bit(loop.readAllStandardOutput()).trimmed();
        m_mounted = run(QStringLiteral("mount.exfat-fuse"), {m_device, m_mount});
    }
    ~FatImage()
    {
        if (m_mounted)
            run(m_kind == Kind::Fat ? QStringLiteral("fusermount") : QStringLiteral("umount"),
                m_kind == Kind::Fat ? QStringList{QStringLiteral("-u"), m_mount} : QStringList{m_mount});
        if (!m_device.isEmpty())
            run(QStringLiteral("losetup"), {QStringLiteral("-d"), m_device});
    }
    FatImage(const FatImage &) = delete;
    FatImage &operator=(const FatImage &) = delete;

    bool isMounted() const { return m_mounted; }
    QString path() const { return m_mount; }

private:
    static bool run(const QString &program, const QStringList &arguments)
    {
        QProcess process;
        process.start(program, arguments);
        return process.waitForFinished() && process.exitStatus() == QProcess::NormalExit &&
               process.exitCode() == 0;
    }

    const Kind m_kind;
    QTemporaryDir m_dir;
    QString m_mount;
    QString m_device;
    bool m_mounted = false;
};
