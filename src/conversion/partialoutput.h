#pragma once

#include <QString>

// An output is written under a hidden name beside its final one and takes the final name only once
// it has been checked, so a file under a final name is always a finished one, whatever happens to
// the program or the machine meanwhile.
//
// The hidden name carries the host and the process that write it: ".<name>.<host>-<pid>.part<ext>"
// (the real extension last, since the tools choose the container from it). Many processes on many
// machines may write into one shared folder; each recognises and clears only what its own machine
// left behind.
namespace PartialOutput {

// The hidden name of finalPath for host and processId, in the same folder; an attempt above 1 is
// added after the process id ("-2"), for a second file of the same name in one process. The whole
// name fits 255 bytes: the part taken from the final name gives way.
QString nameFor(const QString &finalPath, const QString &host, qint64 processId, int attempt = 1);

// This machine's name as the hidden names carry it.
QString hostName();

// Creates the hidden file of finalPath for this process, exclusively, and returns its path; the
// stage's tool then writes over it. When it cannot be created, returns the first name that was
// free, and the tool's own failure tells why.
QString reserve(const QString &finalPath);

// How the finished file takes its final name. Every way refuses to replace a file; Best tries them
// in this order, as far as the file system allows.
enum class Method
{
    Best,
    RenameNoReplace, // one atomic rename that refuses an existing target
    Link,            // a second name, then the hidden one removed
    Placeholder,     // the final name created exclusively, then the rename goes over it (FAT)
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

// Library mode: another process writes finalPath too, under a hidden name of its own: one of this
// machine that still runs, or one of another machine whose hidden file has grown lately.
bool claimedByAnother(const QString &finalPath, const QString &ownPartial);

// Deletes the hidden files in folder that a process of this machine left and that process no
// longer runs; those of other machines, and of this process, stay. Returns how many went.
int removeStale(const QString &folder);

} // namespace PartialOutput
