#pragma once

#include "common/listrows.h"
#include "common/recordingservices.h"
#include "common/testmedia.h"
#include "conversion/conversionrun.h"
#include "conversion/formattable.h"
#include "filelist/filelist.h"
#include "runner/progressstate.h"
#include "settings/programsettings.h"

#include <QDir>
#include <QSignalSpy>
#include <QStringList>
#include <QTemporaryDir>
#include <QtTest>

// The window side of a run, as a test sees it: settings, the output folder box, and a record of
// what the run did to the controls.
class TestHost final : public RunHost
{
public:
    int format = FormatTable::positionOf(OutputFormat::Mp3);
    EncodingSettings settings;
    QString outputFolder;
    QString program = TestMedia::programFolder();
    QList<bool> controlChanges; // each setRunControlsEnabled call
    int dropZoneShown = 0;

    TestHost() { useDefaultsOf(OutputFormat::Mp3); }

    void useDefaultsOf(OutputFormat f)
    {
        format = FormatTable::positionOf(f);
        settings = FormatTable::defaultSettings(f);
    }

    int formatPosition() const override { return format; }
    EncodingSettings encodingSettings() const override { return settings; }
    QString outputFolderText() const override { return outputFolder; }
    void setOutputFolderText(const QString &text) override { outputFolder = text; }
    void setRunControlsEnabled(bool enabled) override { controlChanges.append(enabled); }
    void showDropZone() override { ++dropZoneShown; }
    QString programFolder() const override { return program; }
};

// One run's parts, wired as the window wires them, with a log of stages and rows leaving.
struct RunFixture
{
    RecordingServices services;
    QTemporaryDir dir;
    TestHost host;
    FileList files;
    ProgressState progress;
    ProgramSettings settings;
    ConversionRun run{host, files, progress, services, settings};
    QStringList log;

    RunFixture()
    {
        host.outputFolder = dir.filePath(QStringLiteral("out"));
        QObject::connect(&run, &ConversionRun::stageStarted, &run,
                         [this](FileList::Id id, const QString &tool) {
                             log.append(QStringLiteral("start %1 %2").arg(id).arg(tool));
                         });
        QObject::connect(&run, &ConversionRun::stageEnded, &run,
                         [this](FileList::Id id, const QString &tool, bool ok) {
                             log.append(QStringLiteral("end %1 %2 %3")
                                            .arg(id)
                                            .arg(tool, ok ? QStringLiteral("ok") : QStringLiteral("failed")));
                         });
        QObject::connect(&files, &QAbstractItemModel::rowsAboutToBeRemoved, &files,
                         [this](const QModelIndex &, int first, int last) {
                             for (int row = first; row <= last; ++row)
                                 log.append(QStringLiteral("removed %1").arg(rowId(files, row)));
                         });
    }

    QString path(const QString &name) const { return dir.filePath(name); }

    FileList::Id addFlac(const QString &name, double seconds, const QMap<QString, QString> &tags = {})
    {
        const QString p = path(name);
        if (!TestMedia::makeFlac(p, seconds, 44100, 2, 16, tags))
            return 0;
        return files.addFile(p);
    }

    // Starts and waits for the end of the run; false when it did not end in time.
    bool startAndWait(int timeoutMs = 120000)
    {
        QSignalSpy ended(&run, &ConversionRun::runEnded);
        run.start();
        if (!run.isActive())
            return false;
        return ended.wait(timeoutMs) || ended.count() > 0;
    }

    QStringList outputs() const
    {
        return QDir(host.outputFolder).entryList(QDir::Files | QDir::NoDotAndDotDot, QDir::Name);
    }
};
