#pragma once

#include "library/foldercover.h"
#include "media/coverimage.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class ToolRunner;

// Library mode: the covers of a run, each made fit for MP3s once and shared by every track that
// takes it. A picture that players take as it is (a baseline JPEG or a PNG within the largest edge)
// goes in as it is; any other is written anew as a baseline JPEG, scaled down to the largest edge,
// by one run of the encoder for each picture, one picture after another.
class CoverCache : public QObject
{
    Q_OBJECT

public:
    static constexpr qint64 DecodeMemoryBytes = 256 * 1024 * 1024;
    static constexpr int DecodeSeconds = 10;
    // What is read of a picture to know its kind and size.
    static constexpr qsizetype HeaderBytes = 64 * 1024;

    explicit CoverCache(QObject *parent = nullptr);

    // A run begins: what earlier runs prepared is forgotten. Prepared pictures go to workFolder/tmp.
    void begin(const QString &workFolder, const QString &programFolder, int maxEdge);
    // The program ends: a picture being written is given up; nobody waiting hears of it.
    void stop();
    // The run is over: the pictures it kept and wrote go.
    void end();

    // An album folder's cover picture (FolderCover::inFolder), looked for once per folder and run.
    std::optional<FolderCover::Found> folderCover(const QString &folder);
    // A picture embedded in a source, kept as a file of its own, once per distinct picture.
    QString keepPicture(const QByteArray &image, const QString &extension);
    // The picture to put into MP3s for image (a file): image itself, a new baseline JPEG, or an
    // empty text when none can be made (a broken picture, or one that cannot be decoded within
    // the limits). Given at once when it is known already; otherwise nothing is
    // returned and ready gets it later, from the event loop, and never once context is gone.
    std::optional<QString> prepare(const QString &image, QObject *context,
                                   std::function<void(const QString &)> ready);

private:
    struct Waiter
    {
        QPointer<QObject> context;
        std::function<void(const QString &)> ready;
    };

    void startNext();
    void imageWritten();
    void tell(const QString &image, const QString &prepared);

    ToolRunner *m_runner;
    QString m_workFolder;
    QString m_programFolder;
    int m_maxEdge = 0;
    QHash<QString, std::optional<FolderCover::Found>> m_folders;
    QHash<QString, QString> m_prepared;        // image → what goes into MP3s (empty: nothing)
    QHash<QString, QList<Waiter>> m_waiting;   // image → who waits for it
    QStringList m_queue;                       // images still to write, the first one being written
    QHash<QByteArray, QString> m_keptPictures; // a picture's hash → its file
    QString m_writing;                         // the new JPEG of the picture being written
    int m_written = 0;                         // new JPEGs of this run, which name them
};
