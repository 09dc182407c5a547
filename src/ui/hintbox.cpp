#include "ui/hintbox.h"

#include "filelist/filelist.h"

#include <QHBoxLayout>
#include <QLabel>

HintBox::HintBox(FileList *list, QWidget *parent)
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
    setVisible(list->hintVisible());
    connect(list, &FileList::hintVisibleChanged, this, &HintBox::setVisible);
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
