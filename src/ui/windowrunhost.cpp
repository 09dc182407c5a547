#include "ui/windowrunhost.h"

#include "filelist/filecommands.h"
#include "shell/appdirs.h"
#include "shell/userpath.h"
#include "ui/hotlabel.h"
#include "ui/mainwindow.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

WindowRunHost::WindowRunHost(MainWindow &window, const MainWindowControls &controls, FileCommands &files)
    : QObject(&window)
    , m_window(window)
    , m_controls(controls)
    , m_files(files)
{}

int WindowRunHost::formatPosition() const
{
    return m_controls.formatCombo->currentIndex();
}

EncodingSettings WindowRunHost::encodingSettings() const
{
    EncodingSettings settings;
    settings.videoBitrate = m_controls.videoBitrateCombo->currentText();
    settings.frameRate = m_controls.frameRateCombo->currentText();
    settings.size = m_controls.sizeCombo->currentText();
    settings.sampleRate = m_controls.sampleRateCombo->currentText();
    settings.audioBitrate = m_controls.audioBitrateCombo->currentText();
    settings.channelIndex = m_controls.channelCombo->currentIndex();
    return settings;
}

QString WindowRunHost::outputFolderText() const
{
    // A relative folder is joined to the output base here, by its text: one that begins with ":"
    // must not reach Qt's file classes bare, which would take it for a built-in resource.
    const QString text = m_controls.outputFolderEdit->text();
    return text.isEmpty() ? text : UserPath::absolute(text, AppDirs::outputBaseFolder(programFolder()));
}

void WindowRunHost::setOutputFolderText(const QString &text)
{
    m_controls.outputFolderEdit->setText(text);
}

void WindowRunHost::setRunControlsEnabled(bool enabled)
{
    // Start takes these away and the end of the run gives them back, each in its own order.
    if (!enabled) {
        for (QToolButton *button : m_controls.toolbarButtons())
            button->setEnabled(false);
        m_controls.startButton->setEnabled(false);
        for (QComboBox *combo : m_controls.settingsBoxes())
            combo->setEnabled(false);
        m_controls.convertPicture->setEnabled(false);
        m_controls.feedbackLink->setEnabled(false);
        return;
    }
    m_controls.startButton->setEnabled(true);
    m_controls.feedbackLink->setEnabled(true);
    for (HotLabel *button : {m_controls.addPicture, m_controls.removePicture, m_controls.startPicture,
                             m_controls.browsePicture, m_controls.convertPicture})
        button->setEnabled(true);
    for (QToolButton *button : m_controls.toolbarButtons())
        button->setEnabled(true);
    for (QComboBox *combo : m_controls.settingsBoxes())
        combo->setEnabled(true);
    if (m_files.isBusy())
        holdCommandsWhileListBusy(true);
}

void WindowRunHost::holdCommandsWhileListBusy(bool busy)
{
    const ConversionRun *run = m_window.conversionRun();
    const bool runActive = run && run->isActive();
    for (QWidget *start :
         {static_cast<QWidget *>(m_controls.startButton), static_cast<QWidget *>(m_controls.convertPicture),
          static_cast<QWidget *>(m_controls.addFolderButton)})
        start->setEnabled(!busy && !runActive);
    m_controls.startPicture->setEnabled(!busy);
    // The menu bar's items and the popup menus' items alike.
    for (const char *name : {"addFolderAction", "removeAllAction", "addFolderItem", "removeAllItem"}) {
        const QList<QAction *> actions = m_window.findChildren<QAction *>(QString::fromLatin1(name));
        for (QAction *action : actions)
            action->setEnabled(!busy);
    }
}

void WindowRunHost::showDropZone()
{
    m_controls.dropZone->setVisible(true);
}

QString WindowRunHost::programFolder() const
{
    return m_window.programFolder();
}
