#include "filelist/droppedfiles.h"

#include <QMimeData>
#include <QSysInfo>

namespace DroppedFiles {

namespace {

bool isThisHost(const QByteArray &host)
{
    return host.isEmpty() || host.compare("localhost", Qt::CaseInsensitive) == 0 ||
           host.compare(QSysInfo::machineHostName().toUtf8(), Qt::CaseInsensitive) == 0;
}

} // namespace

QString uriListFormat()
{
    return QStringLiteral("text/uri-list");
}

QList<QByteArray> fromUriList(const QByteArray &uriList)
{
    QList<QByteArray> paths;
    for (const QByteArray &rawLine : uriList.split('\n')) {
        const QByteArray line = rawLine.trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        if (line.size() < 5 || line.left(5).toLower() != "file:")
            continue;
        QByteArray rest = line.mid(5);
        for (qsizetype i = 0; i < rest.size(); ++i) {
            if (rest.at(i) == '?' || rest.at(i) == '#') {
                rest.truncate(i);
                break;
            }
        }
        if (rest.startsWith("//")) {
            const qsizetype pathStart = rest.indexOf('/', 2);
            if (pathStart < 0 || !isThisHost(rest.mid(2, pathStart - 2)))
                continue;
            rest = rest.mid(pathStart);
        }
        if (!rest.startsWith('/'))
            continue;
        paths.append(QByteArray::fromPercentEncoding(rest));
    }
    return paths;
}

QList<QByteArray> fromMimeData(const QMimeData *data)
{
    if (!data || !data->hasFormat(uriListFormat()))
        return {};
    return fromUriList(data->data(uriListFormat()));
}

} // namespace DroppedFiles
