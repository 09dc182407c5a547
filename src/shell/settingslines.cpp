#include "shell/settingslines.h"

namespace SettingsLines {

QStringList split(const QByteArray &content, int maxLines)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = content.size();
    while (start < n && lines.size() < maxLines) {
        qsizetype end = start;
        while (end < n && content[end] != '\n' && content[end] != '\r')
            ++end;
        lines.append(QString::fromUtf8(content.constData() + start, end - start));
        if (end < n && content[end] == '\r' && end + 1 < n && content[end + 1] == '\n')
            ++end;
        start = end + 1;
    }
    return lines;
}

} // namespace SettingsLines
