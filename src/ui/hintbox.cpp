#include "ui/hintbox.h"

#include <QHBoxLayout>
#include <QLabel>

HintBox::HintBox(QWidget *parent)
    : QFrame(parent)
    , m_captionLabel(new QLabel(dropCaption(), this))
{
    setObjectName(QStringLiteral("hintBox"));
    m_captionLabel->setObjectName(QStringLiteral("captionLabel"));
    m_captionLabel->setAlignment(Qt::AlignCenter);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_captionLabel);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

QString HintBox::dropCaption()
{
    return tr("拖拽文件到这里开始转换");
}

QString HintBox::searchingCaption()
{
    return tr("搜索文件...");
}

QString HintBox::caption() const
{
    return m_captionLabel->text();
}

void HintBox::setCaption(const QString &caption)
{
    if (caption == m_captionLabel->text())
        return;
    m_captionLabel->setText(caption);
    emit captionChanged(caption);
}
