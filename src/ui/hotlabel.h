#pragma once

#include <QLabel>
#include <QPixmap>

// A label that reports the pointer moving over it and clicks on it, and has a plain and a lit
// look. The main window's hot zones, picture buttons and link labels are made of these; what a
// move or a click means is the window's business.
class HotLabel : public QLabel
{
    Q_OBJECT

public:
    explicit HotLabel(QWidget *parent = nullptr);

    // The picture shown while lit, the artwork `name` at the label's size when first needed, so
    // pictures that are never lit cost nothing at start. Without one, a label with text is lit by
    // turning bold.
    void setLitPicture(const QString &name);
    void setLit(bool lit);
    bool isLit() const { return m_lit; }

signals:
    void pointerMoved();
    void clicked();

protected:
    void mouseMoveEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QString m_litName;
    QPixmap m_litPicture;
    bool m_lit = false;
};
