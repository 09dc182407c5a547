#include "ui/popupmenus.h"

#include "ui/actionchannel.h"
#include "ui/commandactions.h"

#include <QAction>
#include <QMenu>

PopupMenus::PopupMenus(QWidget *owner, ActionChannel &channel, const CommandActions &actions)
    : QObject(owner)
    , m_channel(channel)
{
    setObjectName(QStringLiteral("PopupMenus"));

    m_filePopup = addMenu(owner, QStringLiteral("filePopup"), tr("File"));
    addWordItem(m_filePopup, QStringLiteral("addFileItem"), tr("添加文件(&A)"), actions.addFile);
    addWordItem(m_filePopup, QStringLiteral("addFolderItem"), tr("添加目录(&F)"), actions.addFolder);
    m_filePopup->addSeparator()->setObjectName(QStringLiteral("filePopupSeparator"));
    addWordItem(m_filePopup, QStringLiteral("exitItem"), tr("退出(&E)"), actions.exit);

    m_optionsPopup = addMenu(owner, QStringLiteral("optionsPopup"), tr("Options"));
    addWordItem(m_optionsPopup, QStringLiteral("optionsItem"), tr("设置(&O)"), actions.options);

    m_aboutPopup = addMenu(owner, QStringLiteral("aboutPopup"), tr("About"));
    addWordItem(m_aboutPopup, QStringLiteral("helpItem"), tr("帮助(&H)"), actions.help);
    addWordItem(m_aboutPopup, QStringLiteral("aboutItem"), tr("关于(&A)"), actions.about);

    m_removePopup = addMenu(owner, QStringLiteral("removePopup"), tr("Remove"));
    addWordItem(m_removePopup, QStringLiteral("removeSelectedItem"), tr("移除选择项"),
                actions.removeSelected);
    QAction *removeAll =
        addItem(m_removePopup, QStringLiteral("removeAllItem"), tr("移除全部"), actions.removeAll);
    connect(removeAll, &QAction::triggered, actions.removeAll, &QAction::trigger);
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

QAction *PopupMenus::addItem(QMenu *menu, const QString &name, const QString &caption, QAction *command)
{
    QAction *item = menu->addAction(caption);
    item->setObjectName(name);
    item->setEnabled(command->isEnabled());
    connect(command, &QAction::enabledChanged, item, &QAction::setEnabled);
    return item;
}

void PopupMenus::addWordItem(QMenu *menu, const QString &name, const QString &caption, QAction *command)
{
    QAction *item = addItem(menu, name, caption, command);
    connect(item, &QAction::triggered, this, [this, command] { m_channel.send(command); });
}
