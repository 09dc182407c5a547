#include "library/librarytags.h"

#include "library/containerfacts.h"

#include <algorithm>

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

QList<QPair<QString, QString>> trackOverrides(const QList<QPair<QString, QString>> &tags,
                                              AudioContainer container)
{
    static const QPair<QString, QString> keys[] = {
        {QStringLiteral("TITLE"), QStringLiteral("title")},
        {QStringLiteral("ARTIST"), QStringLiteral("artist")},
        {QStringLiteral("ALBUMARTIST"), QStringLiteral("album_artist")},
        {QStringLiteral("ALBUM"), QStringLiteral("album")},
        {QStringLiteral("DATE"), QStringLiteral("date")},
        {QStringLiteral("GENRE"), QStringLiteral("genre")},
        {QStringLiteral("COMMENT"), QStringLiteral("comment")},
        {QStringLiteral("COMPOSER"), QStringLiteral("composer")},
    };
    const ContainerFacts *row = ContainerTable::facts(container);
    const bool totalsInNumbers = row && row->totalsInNumbers;
    QMap<QString, QStringList> counts;
    QList<QPair<QString, QString>> result;
    for (const auto &[name, value] : tags) {
        const auto key = std::find_if(std::begin(keys), std::end(keys),
                                      [&name](const auto &pair) { return pair.first == name; });
        if (key != std::end(keys))
            result.append({key->second, value});
        else if (totalsInNumbers &&
                 (name.endsWith(QLatin1StringView("NUMBER")) || name.endsWith(QLatin1StringView("TOTAL"))))
            counts.insert(name, {value});
        else
            result.append({name, value});
    }
    if (totalsInNumbers) {
        for (const QString &set : {QStringLiteral("TRACK"), QStringLiteral("DISC")}) {
            const QString number = counts.value(set + QLatin1StringView("NUMBER")).value(0);
            const QString total = counts.value(set + QLatin1StringView("TOTAL")).value(0);
            if (!number.isEmpty())
                result.append({set.toLower(), total.isEmpty() ? number : number + u'/' + total});
        }
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
