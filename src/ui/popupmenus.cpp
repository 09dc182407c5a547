#include "ui/popupmenus.h"

#include "ui/actionwords.h"

#include <QLineEdit>
#include <QMenu>

PopupMenus::PopupMenus(QWidget *owner, QLineEdit *actionChannel)
    : QObject(owner)
    , m_actionChannel(actionChannel)
{
    setObjectName(QStringLiteral("PopupMenus"));

    m_filePopup = addMenu(owner, QStringLiteral("filePopup"), QStringLiteral("File"));
    addWordItem(m_filePopup, QStringLiteral("addFileItem"), QStringLiteral("添加文件(&A)"),
                ActionWords::addFile());
    addWordItem(m_filePopup, QStringLiteral("addFolderItem"), QStringLiteral("添加目录(&F)"),
                ActionWords::addFolder());
    m_filePopup->addSeparator()->setObjectName(QStringLiteral("filePopupSeparator"));
    addWordItem(m_filePopup, QStringLiteral("exitItem"), QStringLiteral("退出(&E)"),
                ActionWords::exitProgram());

    m_optionsPopup = addMenu(owner, QStringLiteral("optionsPopup"), QStringLiteral("Options"));
    addWordItem(m_optionsPopup, QStringLiteral("optionsItem"), QStringLiteral("设置(&O)"),
                ActionWords::options());

    m_aboutPopup = addMenu(owner, QStringLiteral("aboutPopup"), QStringLiteral("About"));
    addWordItem(m_aboutPopup, QStringLiteral("helpItem"), QStringLiteral("帮助(&H)"), ActionWords::help());
    addWordItem(m_aboutPopup, QStringLiteral("aboutItem"), QStringLiteral("关于(&A)"), ActionWords::about());

    m_removePopup = addMenu(owner, QStringLiteral("removePopup"), QStringLiteral("Remove"));
    addWordItem(m_removePopup, QStringLiteral("removeSelectedItem"), QStringLiteral("移除选择项"),
                ActionWords::removeSelected());
    QAction *removeAll = m_removePopup->addAction(QStringLiteral("移除全部"));
    removeAll->setObjectName(QStringLiteral("removeAllItem"));
    connect(removeAll, &QAction::triggered, this, &PopupMenus::removeAllRequested);
}

void PopupMenus::popupRemove(const QPoint &globalPos)
{
    m_removePopup->exec(globalPos);
}

QMenu *PopupMenus::addMenu(QWidget *owner, const QString &name, const QString &title)
{
    auto *menu = new QMenu(title, owner);
    menu->setObjectName(name);
    return menu;
}

void PopupMenus::addWordItem(QMenu *menu, const QString &name, const QString &caption, const QString &word)
{
    QAction *action = menu->addAction(caption);
    action->setObjectName(name);
    connect(action, &QAction::triggered, this, [this, word] { m_actionChannel->setText(word); });
}
