#pragma once

#include "conversion/conversionrun.h"
#include "ui/mainwindowlayout.h"

#include <QObject>

class MainWindow;
class MainWindowCommands;

// The main window as the run sees it: the settings it reads at Start, the output folder box, the
// controls it takes away and gives back.
class WindowRunHost : public QObject, public RunHost
{
    Q_OBJECT

public:
    WindowRunHost(MainWindow &window, const MainWindowControls &controls, MainWindowCommands &commands);

    int formatPosition() const override;
    EncodingSettings encodingSettings() const override;
    // The output box's folder, a relative one already joined to the output base folder.
    QString outputFolderText() const override;
    void setOutputFolderText(const QString &text) override;
    void setRunControlsEnabled(bool enabled) override;
    void showDropZone() override;
    QString programFolder() const override;

private:
    MainWindow &m_window;
    const MainWindowControls m_controls;
    MainWindowCommands &m_commands;
};
