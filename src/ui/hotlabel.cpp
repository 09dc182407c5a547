#include "ui/hotlabel.h"

#include "ui/artwork.h"

#include <QMouseEvent>

HotLabel::HotLabel(QWidget *parent)
    : QLabel(parent)
{
    setMouseTracking(true);
}

void HotLabel::setLitPicture(const QString &name)
{
    m_litName = name;
    m_litPicture = QPixmap();
}

void HotLabel::setLit(bool lit)
{
    m_lit = lit;
    if (!text().isEmpty()) {
        QFont boldness = font();
        boldness.setBold(lit);
        setFont(boldness);
        return;
    }
    if (lit && m_litPicture.isNull() && !m_litName.isEmpty())
        m_litPicture = Artwork::icon(m_litName).pixmap(size());
    // A missing picture leaves the zone plain.
    if (lit && !m_litPicture.isNull())
        setPixmap(m_litPicture);
    else
        clear();
}

void HotLabel::mouseMoveEvent(QMouseEvent *event)
{
    event->accept();
    emit pointerMoved();
}

void HotLabel::mousePressEvent(QMouseEvent *event)
{
    // Taken here, so a press on a hot zone never reaches the background and starts a drag.
    event->accept();
}

void HotLabel::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
    // A click is a release inside the label, as with a button.
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}
