#pragma once

#include "conversion/formattable.h"
#include "ui/mainwindowlayout.h"

#include <QObject>
#include <QString>

// What the main window's settings boxes and output folder show: the start-up values, the values
// a chosen format brings, and setup.ini, which keeps the user's choice from one run of the
// program to the next.
class WindowState : public QObject
{
    Q_OBJECT

public:
    // setup.ini lives in settingsFolder; an empty output folder box gets defaultOutputFolder.
    WindowState(const MainWindowControls &controls, const QString &settingsFolder,
                const QString &defaultOutputFolder, QObject *parent = nullptr);

    // Start-up: the first format and its values, then what setup.ini saved.
    void restore();
    // A file that cannot be written is skipped: the program ends all the same.
    void save();
    // Fills the settings boxes with the chosen format's own values.
    void loadFormatDefaults();

private:
    QString setupIniPath() const;
    // The sample rate list offers only the rates the format's encoder takes.
    void offerSampleRates(OutputFormat format);

    const MainWindowControls m_controls;
    QString m_settingsFolder;
    QString m_defaultOutputFolder;
};
