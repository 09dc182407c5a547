#pragma once

#include "common/recordingservices.h"
#include "ui/mainwindow.h"
#include "ui/mainwindowcommands.h"

#include <QApplication>
#include <QDialog>
#include <QMenu>
#include <QMenuBar>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <memory>

// What a command showed or asked for, in the notes the tests compare: modal windows by their
// titles, message boxes by theirs, files opened by name, and the program's end.
namespace Seen {
inline const QString openFiles = QStringLiteral("modal:Open Files");
inline const QString openFolder = QStringLiteral("modal:选择一个文件夹:");
inline const QString options = QStringLiteral("modal:选项设置");
inline const QString removePopup = QStringLiteral("popup:removePopup");
inline const QString help = QStringLiteral("open:help.html");
inline const QString about = QStringLiteral("message:Tunoxa转换器");
inline const QString ended = QStringLiteral("ended");
} // namespace Seen

// Answers the modal dialogs and popup menus that a command opens, noting each one it saw as
// "modal:<title>" or "popup:<menu name>". Dialogs are rejected; a popup gets the item named by
// popupChoice, or Escape when that is empty.
class ModalWatcher : public QObject
{
public:
    ModalWatcher()
    {
        m_timer.setInterval(10);
        connect(&m_timer, &QTimer::timeout, this, &ModalWatcher::poll);
        m_timer.start();
    }

    QStringList seen;
    QString popupChoice;

private:
    void poll()
    {
        if (auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget())) {
            seen.append(QStringLiteral("popup:") + menu->objectName());
            QAction *choice = popupChoice.isEmpty() ? nullptr : menu->findChild<QAction *>(popupChoice);
            if (choice) {
                menu->setActiveAction(choice);
                QTest::keyClick(menu, Qt::Key_Return);
            } else {
                QTest::keyClick(menu, Qt::Key_Escape);
            }
            return;
        }
        if (auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
            seen.append(QStringLiteral("modal:") + dialog->windowTitle());
            dialog->reject();
        }
    }

    QTimer m_timer;
};

// A main window on a program folder of its own, loaded as at start-up; ending the program only
// counts. What it asks of the desktop goes to services, or is recorded and dropped without them.
struct LoadedWindow
{
    explicit LoadedWindow(const QByteArray &setupIni = QByteArray(), UserServices *services = nullptr)
    {
        if (!setupIni.isNull()) {
            QFile file(folder.filePath(QStringLiteral("setup.ini")));
            if (file.open(QIODevice::WriteOnly))
                file.write(setupIni);
        }
        window = std::make_unique<MainWindow>(folder.path(), services ? *services : ownServices);
        window->setProgramEnd([this] { ++ends; });
        window->startUp();
    }

    template<typename T> T *control(const QString &name) const { return window->findChild<T *>(name); }
    // The item of the menu bar's menus with this object name.
    QAction *menuItem(const QString &name) const
    {
        for (const QAction *menu : window->menuBar()->actions()) {
            for (QAction *item : menu->menu()->actions()) {
                if (item->objectName() == name)
                    return item;
            }
        }
        return nullptr;
    }

    RecordingServices ownServices;
    QTemporaryDir folder;
    std::unique_ptr<MainWindow> window;
    int ends = 0;
};
