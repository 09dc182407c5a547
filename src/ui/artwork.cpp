#include "ui/artwork.h"

#include <QApplication>
#include <QHash>
#include <QIconEngine>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <QSvgRenderer>

#include <memory>

namespace {

class SvgArtworkEngine : public QIconEngine
{
public:
    explicit SvgArtworkEngine(const QString &path)
        : m_path(path)
    {}

    QIconEngine *clone() const override { return new SvgArtworkEngine(m_path); }
    QString key() const override { return QStringLiteral("SvgArtwork"); }

    QSize actualSize(const QSize &size, QIcon::Mode, QIcon::State) override { return fitted(size); }

    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State) override
    {
        const QSize drawn = fitted(size);
        if (drawn.isEmpty())
            return {};
        const quint64 cacheKey = quint64(drawn.width()) << 40 | quint64(drawn.height()) << 8 | quint64(mode);
        if (const auto cached = m_drawn.constFind(cacheKey); cached != m_drawn.cend())
            return *cached;
        QPixmap picture(drawn);
        picture.fill(Qt::transparent);
        QPainter painter(&picture);
        m_renderer->render(&painter);
        painter.end();
        // Disabled and selected looks come from the style, as for any other icon.
        if (mode != QIcon::Normal && QApplication::style()) {
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
        const QSize shown = (QSizeF(picture.size()) / ratio).toSize();
        QRect target(QPoint(), shown);
        target.moveCenter(rect.center());
        painter->drawPixmap(target, picture);
    }

private:
    // The artwork's own proportions inside `size`, as the SVG icon plugin draws it.
    QSize fitted(const QSize &size)
    {
        if (!m_renderer)
            m_renderer = std::make_unique<QSvgRenderer>(m_path);
        if (!m_renderer->isValid())
            return {};
        return m_renderer->defaultSize().scaled(size, Qt::KeepAspectRatio);
    }

    QString m_path;
    std::unique_ptr<QSvgRenderer> m_renderer;
    QHash<quint64, QPixmap> m_drawn;
};

} // namespace

namespace Artwork {

QIcon icon(const QString &svgPath)
{
    return QIcon(new SvgArtworkEngine(svgPath));
}

} // namespace Artwork
