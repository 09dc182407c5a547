#include "ui/frmmenu.h"

#include "ui/actionwords.h"

#include <QLineEdit>
#include <QMenu>

frmMenu::frmMenu(QWidget *owner, QLineEdit *txtAction)
    : QObject(owner)
    , m_txtAction(txtAction)
{
    setObjectName(QStringLiteral("frmMenu"));

    m_menuFile = addMenu(owner, QStringLiteral("menuFile"), QStringLiteral("File"));
    addWordItem(m_menuFile, QStringLiteral("menuAddaFile"), QStringLiteral("添加文件(&A)"),
                ActionWords::addFile());
    addWordItem(m_menuFile, QStringLiteral("menuAddaFolder"), QStringLiteral("添加目录(&F)"),
                ActionWords::addFolder());
    m_menuFile->addSeparator()->setObjectName(QStringLiteral("menuS"));
    addWordItem(m_menuFile, QStringLiteral("menuExit"), QStringLiteral("退出(&E)"),
                ActionWords::exitProgram());

    m_menuOptions = addMenu(owner, QStringLiteral("menuOptions"), QStringLiteral("Options"));
    addWordItem(m_menuOptions, QStringLiteral("menuOption"), QStringLiteral("设置(&O)"),
                ActionWords::options());

    m_menuAbout = addMenu(owner, QStringLiteral("menuAbout"), QStringLiteral("About"));
    addWordItem(m_menuAbout, QStringLiteral("menuHelp"), QStringLiteral("帮助(&H)"), ActionWords::help());
    addWordItem(m_menuAbout, QStringLiteral("menuA"), QStringLiteral("关于(&A)"), ActionWords::about());

    m_menuRemove = addMenu(owner, QStringLiteral("menuRemove"), QStringLiteral("Remove"));
    addWordItem(m_menuRemove, QStringLiteral("menuRemoveSelected"), QStringLiteral("移除选择项"),
                ActionWords::removeSelected());
    QAction *removeAll = m_menuRemove->addAction(QStringLiteral("移除全部"));
    removeAll->setObjectName(QStringLiteral("menuRemoveAll"));
    connect(removeAll, &QAction::triggered, this, &frmMenu::menuRemoveAll_Click);
}

void frmMenu::popupRemove(const QPoint &globalPos)
{
    m_menuRemove->exec(globalPos);
}

QMenu *frmMenu::addMenu(QWidget *owner, const QString &name, const QString &title)
{
    auto *menu = new QMenu(title, owner);
    menu->setObjectName(name);
    return menu;
}

QAction *frmMenu::addWordItem(QMenu *menu, const QString &name, const QString &caption, const QString &word)
{
    QAction *action = menu->addAction(caption);
    action->setObjectName(name);
    connect(action, &QAction::triggered, this, [this, word] { m_txtAction->setText(word); });
    return action;
}

void frmMenu::menuRemoveAll_Click()
{
    emit removeAllRequested();
}
