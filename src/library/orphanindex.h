#pragma once

#include "library/keptfolder.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <optional>

// Library mode: the outputs of a run's library folders whose source is gone, so that a renamed
// source takes its old output instead of being encoded again, and a deleted one can take its output
// with it. Each library folder F writes into its own output root, OUTPUT/<name of F>/; an output
// there is an orphan when its mark names a source inside F that no longer exists (ENOENT), a part of
// a source of this run (a track of an album image) or the whole of a source this run splits, and no
// job of this run maps to the output's path. Hidden files, files without the mark and anything
// reached through a symbolic link are never orphans: below a link in the output folder nothing is
// read, and the link is named. The one hidden file that can be an orphan is a whole output that a
// process which is gone was moving to a new name: its move is finished (when its new name holds
// the same audio already), or it is put back, or it serves the source it was meant for.
//
// Reading the roots also clears what processes of this machine that are gone left there while
// writing: every folder of the copy is cleared, not only those this run writes into.
//
// An unmounted disk or a folder that cannot be read looks like a library whose files were deleted.
// So nothing is taken or deleted below the counterpart of a folder of F that could not be read or
// holds no source of this run (F itself included): such folders are kept, and named.
//
// The output roots are read a slice at a time from the event loop, so a window stays live over a
// copy of 50,000 files.
class OrphanIndex : public QObject
{
    Q_OBJECT

public:
    static constexpr int SliceMs = 4;

    struct Root
    {
        QByteArray libraryFolder; // F, no trailing "/"
        QString outputRoot;       // OUTPUT/<name of F>/
        QString outputFolder;     // OUTPUT/, below which nothing is reached through a link
    };

    struct Orphan
    {
        QString outputPath; // where it is
        QString outputRoot;
        QString outputFolder;
        QString finalPath; // its name: outputPath, or the name a move left unfinished was taking
    };

    explicit OrphanIndex(QObject *parent = nullptr);

    // Reads the roots' outputs; finished follows (from the event loop). plannedOutputs: the outputs
    // the sources of this run map to; sources: those sources' paths.
    // Outputs are the files whose names end with outputExtension (".mp3", ...). A dry run changes
    // nothing it finds.
    void start(const QList<Root> &roots, const QSet<QString> &plannedOutputs,
               const QList<QByteArray> &sources, const QString &outputExtension, bool dryRun);
    void stop();
    // The sources of the run that are split into parts (album images): their whole outputs are
    // orphans. Set before start.
    void setSplitSources(QSet<QByteArray> sources) { m_splitSources = std::move(sources); }
    bool isSplit(const QByteArray &source) const { return m_splitSources.contains(source); }
    bool isRunning() const { return m_sliceTimer.isActive(); }

    // An orphan of the same audio and settings (LibraryMark::contentKey), taken so that it serves no
    // other source; nothing when there is none.
    std::optional<Orphan> take(const QString &contentKey);
    // The orphans nobody took, in the order they were found.
    QList<Orphan> remaining() const;
    // The folders whose outputs were kept, and why.
    QList<KeptFolder> keptFolders() const { return m_keptFolders; }
    // The unfinished moves nobody took or deleted go back to their names, where those are free.
    void putBackMoves();

    // After the orphan has gone: the folders its going left empty, up to its output root.
    static void removeEmptyFolders(const Orphan &orphan);

signals:
    void finished();

private:
    struct Found
    {
        Orphan orphan;
        QString contentKey;
        bool taken = false;
    };

    void runSlice();
    void readFolder(const QString &folder);
    void readOutput(const QString &path, const QString &finalPath);
    // A hidden file of a move that a process which is gone left unfinished.
    void readLeftOverMove(const QString &folder, const QString &name);
    void keep(const KeptFolder &kept);
    // The folder that keeps an orphan of source from going, or an empty one when nothing does.
    QByteArray keepingFolder(const QByteArray &source) const;
    bool isSourceOfRun(const QByteArray &source);

    QList<Root> m_roots;
    qsizetype m_rootIndex = 0;
    QStringList m_folders; // still to read, of the current root
    QSet<QString> m_planned;
    QString m_extension;
    QSet<QByteArray> m_sourceFolders; // every folder that holds a source of this run, with its ancestors
    // The run's sources, and as a set once a track of an image is found: a track whose image is a
    // source of the run and whose output no job plans has left the image's sheet.
    QList<QByteArray> m_sources;
    QSet<QByteArray> m_sourceSet;
    QSet<QByteArray> m_splitSources;
    QList<Found> m_found;
    QHash<QString, QList<qsizetype>> m_byContent;
    QList<KeptFolder> m_keptFolders;
    bool m_dryRun = false;
    QTimer m_sliceTimer;
};
