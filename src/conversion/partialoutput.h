#pragma once

#include <QSet>
#include <QString>

#include <optional>

// An output is written under a hidden name beside its final one and takes the final name only once
// it has been checked, so a file under a final name is always a finished one, whatever happens to
// the program or the machine meanwhile.
//
// The hidden name carries its owner, the host and the process that write it:
// ".<name>.<owner>.part<ext>", owner = host-pid[-attempt] (the real extension last, since the tools
// choose the container from it). The host is written with every "." and "-" as "_", so the owner is
// the text after the name's last "." before ".part", and its fields split at "-". Many processes on
// many machines may write into one shared folder; each recognises and clears only what its own
// machine left behind.
namespace PartialOutput {

// Who writes a hidden file. An attempt above 1 is a second file of the same name in one process.
struct Owner
{
    QString host; // as the names carry it
    qint64 processId = 0;
    int attempt = 1;

    bool operator==(const Owner &) const = default;
};

// What the hidden file is doing: being written, (on FAT, which has no atomic way to take a name
// without replacing it) taking its final name, or, in library mode, being moved: a whole output
// whose source was renamed, claimed for the final name its hidden name carries.
enum class Step
{
    Writing,    // ".part"
    Publishing, // ".publishing"
    Moving,     // ".moving"
};

// A host name as the hidden names carry it: every "." and "-" becomes "_".
QString ownerHost(const QString &host);

// The hidden name of finalPath for owner, in the same folder. The whole name fits 255 bytes: where
// it would not, the part taken from the final name is cut and ends in a short hash of the whole
// final name, so two long names that differ only at their end keep hidden names of their own.
QString nameFor(const QString &finalPath, const Owner &owner, Step step = Step::Writing);
QString nameFor(const QString &finalPath, const QString &host, qint64 processId, int attempt = 1);

// The owner and step a hidden file name carries; nothing for any other name (a hidden file named
// in an earlier form with a host holding "-" reads as none and is left alone).
struct Reading
{
    Owner owner;
    Step step = Step::Writing;
    QString finalName; // the final name it stands for; empty where the hidden name had to cut it
};
std::optional<Reading> readName(const QString &fileName);

// Whether a owns its claims before b: of two processes that each see the other's claim on one
// output, the first goes on and the second leaves the output to it.
bool ownerBefore(const Owner &a, const Owner &b);
// This process, as its hidden names carry it.
Owner ownOwner(int attempt = 1);

// This machine's name (not yet as the hidden names carry it).
QString hostName();

// Creates the hidden file of finalPath for this process, exclusively, and returns its path; the
// stage's tool then writes over it. When it cannot be created, returns the first name that was
// free, with the system's error number in error.
QString reserve(const QString &finalPath, int *error = nullptr);

// How the finished file takes its final name. Every way refuses to replace a file; Best tries them
// in this order, as far as the file system allows.
enum class Method
{
    Best,
    RenameNoReplace, // one atomic rename that refuses an existing target
    Link,            // a second name, then the hidden one removed
    // The final name created exclusively, then the rename goes over it (FAT); meanwhile the hidden
    // file is named for its step ".publishing", so that what a kill leaves can be cleared.
    Placeholder,
};

struct Published
{
    QString path;  // the final name taken; empty when none could be
    int error = 0; // errno of the failure
};

// Gives partial the name wanted, or, when that is taken, the first free "name (2).ext",
// "name (3).ext", ...; never replaces an existing file, even one that appears meanwhile.
Published publish(const QString &partial, const QString &wanted, Method method = Method::Best);

// Library mode, where an output has one exact name: partial takes target itself. With replace,
// a file at target is replaced (it has been found to be an older output of the same source);
// otherwise an existing target refuses (error EEXIST).
Published publishAt(const QString &partial, const QString &target, bool replace);

// Library mode: another process writes or moves into finalPath too, under a hidden name of its own:
// one of this machine that still runs, or one of another machine whose hidden file has changed
// lately. With firstOnly, only a process that owns its claims before this one counts.
bool claimedByAnother(const QString &finalPath, const QString &ownPartial, bool firstOnly = false);

// Whether the hidden file that reading names in folder was left by a process that is gone: one of
// host (this machine) that no longer runs, or one of another machine whose file has not changed
// for ten minutes.
bool isLeftOver(const QString &folder, const QString &name, const Reading &reading,
                const QString &host = hostName());

// Deletes the hidden files in folder (of the names given, or of all there) that a process of host
// (this machine) left while writing or publishing and that no longer runs; those of other machines,
// and of this process, stay, and so do outputs being moved, which are whole. A process that ended
// while its file took its final name on FAT may have left that name empty: the empty file goes too.
// Returns how many hidden files went.
int removeStale(const QString &folder, const QStringList &hiddenNames, const QString &host = hostName());
int removeStale(const QString &folder, const QString &host = hostName());
// The names in folder that start with "." (but "." and ".."), read with no look at each entry.
QStringList hiddenNames(const QString &folder);

// The folders one run has cleared with removeStale, each once, just before its first output there
// is written: a run that writes nothing in a folder (its outputs are up to date) never reads it.
class StaleSweep
{
public:
    void before(const QString &folder)
    {
        if (!m_swept.contains(folder)) {
            m_swept.insert(folder);
            removeStale(folder);
        }
    }
    void clear() { m_swept.clear(); }

private:
    QSet<QString> m_swept;
};

} // namespace PartialOutput
