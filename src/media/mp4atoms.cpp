#include "media/mp4atoms.h"

#include <QFile>
#include <QtEndian>

namespace Mp4Atoms {

namespace {

// The bytes read at once: a movie box without a cover lies whole in one window.
constexpr qsizetype WindowBytes = 65536;

// Reads through a window of the file, so that walking the boxes' headers costs few reads.
class Window
{
public:
    explicit Window(const Fetch &fetch)
        : m_fetch(fetch)
    {}

    QByteArray bytes(qint64 offset, qsizetype count)
    {
        if (offset < m_start || offset + count > m_start + m_bytes.size()) {
            m_start = offset;
            m_bytes = m_fetch(offset, std::max(count, WindowBytes));
        }
        return m_bytes.mid(offset - m_start, count);
    }

private:
    const Fetch &m_fetch;
    qint64 m_start = 0;
    QByteArray m_bytes;
};

struct Box
{
    QByteArray type;
    qint64 start = 0;
    qint64 headerBytes = 8;
    qint64 size = 0;
    bool sizedToItsEnd = false; // its size field was 0: it runs to its parent's end
    qint64 end() const { return start + size; }
    qint64 contentStart() const { return start + headerBytes; }
    // The meta box is a full box: its children follow four bytes of version and flags.
    qint64 childrenStart() const { return contentStart() + (type == "meta" ? 4 : 0); }
};

// The boxes from `from` to `to`, by their headers; a box that claims more than is there ends the walk.
QList<Box> children(Window &window, qint64 from, qint64 to)
{
    QList<Box> boxes;
    for (qint64 at = from; at + 8 <= to;) {
        const QByteArray header = window.bytes(at, 16);
        if (header.size() < 8)
            break;
        Box box{header.mid(4, 4), at, 8, qFromBigEndian<quint32>(header.constData())};
        if (box.size == 1 && header.size() == 16) {
            box.size = qint64(qFromBigEndian<quint64>(header.constData() + 8));
            box.headerBytes = 16;
        } else if (box.size == 0) {
            box.size = to - at;
            box.sizedToItsEnd = true;
        }
        // Compared without adding, so that a size near 2^63 cannot overflow.
        if (box.size < box.headerBytes || box.size > to - at)
            break;
        boxes.append(box);
        at = box.end();
    }
    return boxes;
}

std::optional<Box> child(Window &window, const Box &parent, const char *type)
{
    for (const Box &box : children(window, parent.childrenStart(), parent.end())) {
        if (box.type == type)
            return box;
    }
    return std::nullopt;
}

// The boxes from the movie box down to the item list, as far as they are there: moov, udta, meta,
// ilst.
QList<Box> itemListPath(Window &window, qint64 size)
{
    QList<Box> path;
    for (const Box &box : children(window, 0, size)) {
        if (box.type == "moov")
            path = {box};
    }
    const char *const types[] = {"udta", "meta", "ilst"};
    for (const char *type : types) {
        if (path.isEmpty())
            break;
        const std::optional<Box> next = child(window, path.constLast(), type);
        if (!next)
            break;
        path.append(*next);
    }
    return path;
}

// Whether the box's children, walked one after another, end exactly where it ends: a child that
// claims too much or too little hides what follows it from every reader.
bool walksWhole(Window &window, const Box &parent)
{
    const QList<Box> boxes = children(window, parent.childrenStart(), parent.end());
    // A last child that runs to the end would take in whatever is added after it.
    if (!boxes.isEmpty() && boxes.constLast().sizedToItsEnd)
        return false;
    return (boxes.isEmpty() ? parent.childrenStart() : boxes.constLast().end()) == parent.end();
}

QByteArray box(const char *type, const QByteArray &content)
{
    QByteArray bytes(4, '\0');
    qToBigEndian<quint32>(quint32(8 + content.size()), bytes.data());
    return bytes + type + content;
}

QByteArray fullBox(const char *type, const QByteArray &content)
{
    return box(type, QByteArray(4, '\0') + content);
}

QByteArray freeformItem(const QString &name, const QString &value)
{
    // A data box of type 1 (UTF-8 text), in no particular locale.
    const QByteArray data = box("data", QByteArray("\0\0\0\x01\0\0\0\0", 8) + value.toUtf8());
    return box("----", fullBox("mean", "com.apple.iTunes") + fullBox("name", name.toUtf8()) + data);
}

} // namespace

std::optional<double> seconds(const Fetch &fetch, qint64 size)
{
    Window window(fetch);
    const QList<Box> path = itemListPath(window, size);
    if (path.isEmpty())
        return std::nullopt;
    const std::optional<Box> header = child(window, path.constFirst(), "mvhd");
    if (!header)
        return std::nullopt;
    const QByteArray content = window.bytes(
        header->contentStart(), qsizetype(std::min<qint64>(32, header->end() - header->contentStart())));
    const bool wide = !content.isEmpty() && content[0] == 1;
    if (content.size() < (wide ? 32 : 20))
        return std::nullopt;
    const quint32 scale = qFromBigEndian<quint32>(content.constData() + (wide ? 20 : 12));
    const quint64 duration = wide ? qFromBigEndian<quint64>(content.constData() + 24)
                                  : qFromBigEndian<quint32>(content.constData() + 16);
    if (scale == 0)
        return std::nullopt;
    return double(duration) / scale;
}

QList<QPair<QString, QString>> freeformTags(const Fetch &fetch, qint64 size)
{
    Window window(fetch);
    const QList<Box> path = itemListPath(window, size);
    QList<QPair<QString, QString>> tags;
    if (path.size() < 4)
        return tags;
    for (const Box &item : children(window, path[3].contentStart(), path[3].end())) {
        if (item.type != "----")
            continue;
        QString name;
        for (const Box &part : children(window, item.contentStart(), item.end())) {
            const qint64 skip = part.type == "data" ? 8 : 4;
            if (part.size < part.headerBytes + skip)
                continue;
            const QByteArray text =
                window.bytes(part.contentStart() + skip, qsizetype(part.end() - part.contentStart() - skip));
            if (part.type == "name")
                name = QString::fromUtf8(text);
            else if (part.type == "data" && !name.isEmpty())
                tags.append({name, QString::fromUtf8(text)});
        }
    }
    return tags;
}

bool addFreeformTags(const QString &path, const QList<QPair<QString, QString>> &tags)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return false;
    const qint64 size = file.size();
    const Fetch fetch = [&file](qint64 offset, qsizetype count) {
        return file.seek(offset) ? file.read(count) : QByteArray();
    };
    Window window(fetch);
    const QList<Box> boxes = itemListPath(window, size);
    if (boxes.isEmpty() || boxes.constFirst().end() != size)
        return false;
    for (const Box &box : boxes) {
        if (box.headerBytes != 8 || !walksWhole(window, box))
            return false;
    }
    QByteArray added;
    for (const auto &[name, value] : tags)
        added += freeformItem(name, value);
    // Whatever of udta, meta and ilst is missing is made around the items, inside the last one there.
    const char *const types[] = {"moov", "udta", "meta", "ilst"};
    for (qsizetype level = 3; level >= boxes.size(); --level) {
        if (qstrcmp(types[level], "meta") == 0)
            added = fullBox("meta",
                            fullBox("hdlr", QByteArray(4, '\0') + "mdirappl" + QByteArray(9, '\0')) + added);
        else
            added = box(types[level], added);
    }
    const Box &movie = boxes.constFirst();
    QByteArray moov = fetch(movie.start, qsizetype(movie.size));
    if (moov.size() != movie.size)
        return false;
    moov.insert(boxes.constLast().end() - movie.start, added);
    for (const Box &box : boxes) {
        const qint64 offset = box.start - movie.start;
        qToBigEndian<quint32>(quint32(box.size + added.size()), moov.data() + offset);
    }
    return file.seek(movie.start) && file.write(moov) == moov.size() && file.flush();
}

} // namespace Mp4Atoms
