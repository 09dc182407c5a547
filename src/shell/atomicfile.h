#pragma once

#include <QByteArray>
#include <QString>

// Replaces a file's content as one step: a failed write leaves the previous file whole.
namespace AtomicFile {

// False when nothing was replaced: the file is marked read-only (honoured even for root), the
// folder cannot take the new file, or writing it failed part way.
bool write(const QString &path, const QByteArray &content);

// Reads at most maxBytes from the start of a file; empty when it cannot be read.
QByteArray readHead(const QString &path, qint64 maxBytes);

} // namespace AtomicFile
