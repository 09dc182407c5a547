#include "ui/artwork.h"

#include <QApplication>
#include <QDir>
#include <QHash>
#include <QIconEngine>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <QStyle>
#include <QStyleOption>

#include <algorithm>

namespace {

// The sizes of each picture, read from the names "<name>-<width>x<height>.png" of the resource
// folder, so that no file is opened before its size is painted.
const QHash<QString, QList<QSize>> &artworkSizes()
{
    static const QHash<QString, QList<QSize>> sizes = [] {
        static const QRegularExpression fileName(QStringLiteral(R"(^(.+)-(\d+)x(\d+)\.png$)"));
        QHash<QString, QList<QSize>> found;
        const QStringList files = QDir(QStringLiteral(":/artwork")).entryList(QDir::Files);
        for (const QString &file : files) {
            const QRegularExpressionMatch match = fileName.match(file);
            if (match.hasMatch())
                found[match.captured(1)].append(QSize(match.captured(2).toInt(), match.captured(3).toInt()));
        }
        return found;
    }();
    return sizes;
}

// Hands out the drawn PNG nearest above the size asked for, decoded with the built-in PNG reader
// (no image plugin is probed), once per size and mode.
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
        QImage image(
            QStringLiteral(":/artwork/%1-%2x%3.png").arg(m_name).arg(file.width()).arg(file.height()), "PNG");
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
