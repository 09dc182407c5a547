#include "library/librarytags.h"

#include "library/containerfacts.h"

namespace LibraryTags {

namespace {

// A number and the total of its set, as "n/N"; a number that holds a total already stays.
void addCount(const QMap<QString, QStringList> &fields, const QString &numberField,
              const QStringList &totalFields, const QString &key, QList<QPair<QString, QString>> &result)
{
    QString total;
    for (const QString &field : totalFields) {
        if (fields.contains(field)) {
            if (total.isEmpty())
                total = fields.value(field).constFirst();
            result.append({field, QString()});
        }
    }
    const QString number = fields.value(numberField).value(0);
    if (!number.isEmpty() && !total.isEmpty() && !number.contains(u'/'))
        result.append({key, number + u'/' + total});
}

} // namespace

QList<QPair<QString, QString>> overrides(const QMap<QString, QStringList> &fields, AudioContainer container)
{
    QList<QPair<QString, QString>> result;
    const ContainerFacts *row = ContainerTable::facts(container);
    if (!row || !row->totalsInNumbers)
        return result;
    addCount(fields, QStringLiteral("TRACKNUMBER"),
             {QStringLiteral("TRACKTOTAL"), QStringLiteral("TOTALTRACKS")}, QStringLiteral("track"), result);
    addCount(fields, QStringLiteral("DISCNUMBER"),
             {QStringLiteral("DISCTOTAL"), QStringLiteral("TOTALDISCS")}, QStringLiteral("disc"), result);
    if (!row->valuesJoined)
        return result;
    static const QPair<QString, QString> joined[] = {
        {QStringLiteral("ARTIST"), QStringLiteral("artist")},
        {QStringLiteral("ALBUMARTIST"), QStringLiteral("album_artist")},
        {QStringLiteral("GENRE"), QStringLiteral("genre")},
        {QStringLiteral("COMPOSER"), QStringLiteral("composer")},
        {QStringLiteral("PERFORMER"), QStringLiteral("performer")},
    };
    for (const auto &[field, key] : joined) {
        const QStringList values = fields.value(field);
        if (values.size() > 1)
            result.append({key, values.join(u'/')});
    }
    return result;
}

QList<QPair<QString, QString>> freeformFields(const QMap<QString, QStringList> &fields)
{
    QList<QPair<QString, QString>> result;
    for (auto field = fields.cbegin(); field != fields.cend(); ++field) {
        if (field.key().startsWith(QLatin1StringView("REPLAYGAIN_")) && !field.value().isEmpty())
            result.append({field.key().toLower(), field.value().constFirst()});
    }
    return result;
}

} // namespace LibraryTags
