#pragma once

#include "conversion/conversionrun.h"
#include "ui/mainwindowlayout.h"

#include <QObject>

class FileCommands;
class MainWindow;

// The main window as the run sees it: the settings it reads at Start, the output folder box, the
// controls it takes away and gives back. It also holds back the commands that must wait while
// the file list is busy.
class WindowRunHost : public QObject, public RunHost
{
    Q_OBJECT

public:
    WindowRunHost(MainWindow &window, const MainWindowControls &controls, FileCommands &files);

    int formatPosition() const override;
    EncodingSettings encodingSettings() const override;
    // The output box's folder, a relative one already joined to the output base folder.
    QString outputFolderText() const override;
    void setOutputFolderText(const QString &text) override;
    void setRunControlsEnabled(bool enabled) override;
    void showDropZone() override;
    QString programFolder() const override;

    // Start, adding a folder and emptying the list wait until a folder scan or a remove-all is
    // over; the run holds some of them too, and gives them back itself.
    void holdCommandsWhileListBusy(bool busy);

private:
    MainWindow &m_window;
    const MainWindowControls m_controls;
    FileCommands &m_files;
};
