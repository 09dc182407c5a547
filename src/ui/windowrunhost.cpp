#include "ui/windowrunhost.h"

#include "platform/appdirs.h"
#include "ui/hotlabel.h"
#include "ui/mainwindow.h"
#include "ui/mainwindowcommands.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

WindowRunHost::WindowRunHost(MainWindow &window, const MainWindowControls &controls,
                             MainWindowCommands &commands)
    : QObject(&window)
    , m_window(window)
    , m_controls(controls)
    , m_commands(commands)
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
    return AppDirs::outputFolderFor(m_controls.outputFolderEdit->text(), programFolder());
}

void WindowRunHost::setOutputFolderText(const QString &text)
{
    m_controls.outputFolderEdit->setText(text);
}

void WindowRunHost::setRunControlsEnabled(bool enabled)
{
    // The toolbar, Start, the settings and the feedback link; the menus stay usable during a run.
    QList<QWidget *> taken = {m_controls.startButton};
    for (QToolButton *button : m_controls.toolbarButtons())
        taken.append(button);
    for (QComboBox *box : m_controls.settingsBoxes())
        taken.append(box);
    taken += {m_controls.convertPicture, m_controls.feedbackLink};
    for (QWidget *control : std::as_const(taken))
        m_commands.holdControl(control, !enabled);
}

void WindowRunHost::showDropZone()
{
    m_controls.dropZone->setVisible(true);
}

QString WindowRunHost::programFolder() const
{
    return m_window.programFolder();
}
