#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// What tunoxa's command line asks besides the files to add, decided before anything else is
// touched: an option it does not know must not become a row in the list, nor reach a running window.
namespace StartOptions {

struct Reading
{
    enum class Ask
    {
        Window,
        Help,
        Version,
        UsageError,
    };
    Ask ask = Ask::Window;
    QList<QByteArray> paths; // the files and folders to add, as written
    QByteArray unknownOption;
};

// arguments: the command line without the program's name and the options Qt takes for itself. An
// argument that starts with "-" is an option unless a file of that name exists in currentFolder;
// after "--" every argument is a file.
Reading read(const QList<QByteArray> &arguments, const QByteArray &currentFolder);

// The usage text, in the interface's language.
QString usage();
// The line that refuses an option it does not know.
QString unknownOptionText(const QByteArray &option);
// "tunoxa 1.0.0"
QString versionLine();

} // namespace StartOptions
