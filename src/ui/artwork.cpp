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

// One drawn file of a picture: its size in pixels, and the size it stands for on a screen of
// ordinary density ("@2x" files are twice that).
struct DrawnFile
{
    QString path;
    QSize pixels;
    QSize shown;
};

// The files of each picture, read from the names "<name>-<width>x<height>[@2x].png" of the
// resource folder, so that no file is opened before its size is painted.
const QHash<QString, QList<DrawnFile>> &artworkFiles()
{
    static const QHash<QString, QList<DrawnFile>> files = [] {
        QHash<QString, QList<DrawnFile>> found;
        // Matched by hand: a name filter would compile a regular expression at every start.
        for (QDirIterator it(QStringLiteral(":/artwork"), QDir::Files); it.hasNext();) {
            const QString path = it.next();
            const QString file = path.section(QLatin1Char('/'), -1);
            const bool dense = file.endsWith(QLatin1StringView("@2x.png"));
            const qsizetype dash = file.lastIndexOf(QLatin1Char('-'));
            const QString size = file.mid(dash + 1).chopped(dense ? 7 : 4);
            const QStringList sides = size.split(QLatin1Char('x'));
            bool wide = false;
            bool high = false;
            const QSize shown(sides.value(0).toInt(&wide), sides.value(1).toInt(&high));
            if (dash > 0 && file.endsWith(QLatin1StringView(".png")) && sides.size() == 2 && wide && high)
                found[file.left(dash)].append({path, dense ? shown * 2 : shown, shown});
        }
        for (QList<DrawnFile> &drawn : found) {
            std::sort(drawn.begin(), drawn.end(), [](const DrawnFile &a, const DrawnFile &b) {
                return a.pixels.width() * a.pixels.height() < b.pixels.width() * b.pixels.height();
            });
        }
        return found;
    }();
    return files;
}

// Hands out the drawn PNG nearest above the size asked for (never enlarged past the largest),
// decoded with the built-in PNG reader (no image plugin is loaded), once per size and mode.
class ArtworkEngine : public QIconEngine
{
public:
    explicit ArtworkEngine(const QString &name)
        : m_name(name)
        , m_files(artworkFiles().value(name))
    {}

    QIconEngine *clone() const override { return new ArtworkEngine(m_name); }
    QString key() const override { return QStringLiteral("Artwork"); }
    bool isNull() override { return m_files.isEmpty(); }

    // The sizes on a screen of ordinary density; the "@2x" files serve the same sizes on dense ones.
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override
    {
        QList<QSize> sizes;
        for (const DrawnFile &file : m_files) {
            if (file.pixels == file.shown)
                sizes.append(file.shown);
        }
        return sizes;
    }

    QSize actualSize(const QSize &size, QIcon::Mode, QIcon::State) override
    {
        if (m_files.isEmpty())
            return {};
        const QSize drawn = nearest(size).pixels;
        const QSize fitted = drawn.scaled(size, Qt::KeepAspectRatio);
        return fitted.width() > drawn.width() ? drawn : fitted;
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
        QImageReader reader(nearest(size).path, "png");
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
    // The smallest drawn file that covers `size`, or the largest there is.
    const DrawnFile &nearest(const QSize &size) const
    {
        for (const DrawnFile &file : m_files) {
            if (file.pixels.width() >= size.width() && file.pixels.height() >= size.height())
                return file;
        }
        return m_files.constLast();
    }

    QString m_name;
    QList<DrawnFile> m_files;
    QHash<quint64, QPixmap> m_drawn;
};

} // namespace

namespace Artwork {

QIcon icon(const QString &name)
{
    return QIcon(new ArtworkEngine(name));
}

} // namespace Artwork
