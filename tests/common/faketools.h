#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

// Small shell-script tools that show one behaviour each, written where a test or benchmark asks.
namespace FakeTools {

inline QString write(const QString &folder, const QString &name, const QByteArray &body)
{
    const QString path = folder + QLatin1Char('/') + name;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return QString();
    file.write("#!/bin/sh\n" + body + '\n');
    file.close();
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

} // namespace FakeTools
