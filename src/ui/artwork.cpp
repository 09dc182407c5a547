#include "ui/artwork.h"

#include <QApplication>
#include <QDirIterator>
#include <QHash>
#include <QIconEngine>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>

#include <algorithm>

namespace {

// The sizes of each picture, read from the names "<name>-<width>x<height>.png" of the resource
// folder, so that no file is opened before its size is painted.
const QHash<QString, QList<QSize>> &artworkSizes()
{
    static const QHash<QString, QList<QSize>> sizes = [] {
        QHash<QString, QList<QSize>> found;
        // Matched by hand: a name filter would compile a regular expression at every start.
        for (QDirIterator it(QStringLiteral(":/artwork"), QDir::Files); it.hasNext();) {
            const QString file = it.next().section(QLatin1Char('/'), -1);
            const qsizetype dash = file.lastIndexOf(QLatin1Char('-'));
            const QStringList sides = file.mid(dash + 1).chopped(4).split(QLatin1Char('x'));
            bool wide = false;
            bool high = false;
            const QSize size(sides.value(0).toInt(&wide), sides.value(1).toInt(&high));
            if (dash > 0 && file.endsWith(QLatin1StringView(".png")) && sides.size() == 2 && wide && high)
                found[file.left(dash)].append(size);
        }
        return found;
    }();
    return sizes;
}

// Hands out the drawn PNG nearest above the size asked for, decoded with the built-in PNG reader
// (no image plugin is loaded), once per size and mode.
class ArtworkEngine : public QIconEngine
{
public:
    explicit ArtworkEngine(const QString &name)
        : m_name(name)
        , m_sizes(artworkSizes().value(name))
    {
        std::sort(m_sizes.begin(), m_sizes.end(), [](const QSize &a, const QSize &b) {
            return a.width() * a.height() < b.width() * b.height();
        });
    }

    QIconEngine *clone() const override { return new ArtworkEngine(m_name); }
    QString key() const override { return QStringLiteral("Artwork"); }
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override { return m_sizes; }
    bool isNull() override { return m_sizes.isEmpty(); }

    QSize actualSize(const QSize &size, QIcon::Mode, QIcon::State) override
    {
        return m_sizes.isEmpty() ? QSize() : nearest(size).scaled(size, Qt::KeepAspectRatio);
    }

    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        const QSize wanted = actualSize(size, mode, state);
        if (wanted.isEmpty())
            return {};
        const quint64 cacheKey =
            quint64(wanted.width()) << 40 | quint64(wanted.height()) << 8 | quint64(mode);
        if (const auto cached = m_drawn.constFind(cacheKey); cached != m_drawn.cend())
            return *cached;
        const QSize file = nearest(size);
        QImageReader reader(
            QStringLiteral(":/artwork/%1-%2x%3.png").arg(m_name).arg(file.width()).arg(file.height()), "png");
        // Told the format, the reader still asks every image plugin first unless it may not guess.
        reader.setAutoDetectImageFormat(false);
        QImage image = reader.read();
        if (image.size() != wanted)
            image = image.scaled(wanted, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        QPixmap picture = QPixmap::fromImage(std::move(image));
        // Disabled and selected looks come from the style, as for any other icon.
        if (mode != QIcon::Normal && !picture.isNull() && QApplication::style()) {
            QStyleOption option;
            option.palette = QApplication::palette();
            picture = QApplication::style()->generatedIconPixmap(mode, picture, &option);
        }
        m_drawn.insert(cacheKey, picture);
        return picture;
    }

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override
    {
        const qreal ratio = painter->device() ? painter->device()->devicePixelRatio() : 1.0;
        QPixmap picture = pixmap((QSizeF(rect.size()) * ratio).toSize(), mode, state);
        picture.setDevicePixelRatio(ratio);
        QRect target(QPoint(), (QSizeF(picture.size()) / ratio).toSize());
        target.moveCenter(rect.center());
        painter->drawPixmap(target, picture);
    }

private:
    // The smallest drawn size that covers `size`, or the largest there is.
    QSize nearest(const QSize &size) const
    {
        for (const QSize &drawn : m_sizes) {
            if (drawn.width() >= size.width() && drawn.height() >= size.height())
                return drawn;
        }
        return m_sizes.constLast();
    }

    QString m_name;
    QList<QSize> m_sizes;
    QHash<quint64, QPixmap> m_drawn;
};

} // namespace

namespace Artwork {

QIcon icon(const QString &name)
{
    return QIcon(new ArtworkEngine(name));
}

} // namespace Artwork
