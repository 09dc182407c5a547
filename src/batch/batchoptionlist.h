#pragma once

#include "settings/programoptions.h"

#include <QList>
#include <QString>
#include <QStringView>

// An option of tunoxa-batch's command line: one of its own, or one of the program's options
// (ProgramOptions) that it takes too.
struct BatchOption
{
    enum class Kind : quint8
    {
        Program,
        Format,
        Bitrate,
        Rate,
        Channels,
        VideoBitrate,
        Size,
        Fps,
        Output,
        DryRun,
        NoCue,
        CueEncoding,
        Help,
        Version,
    };

    Kind kind;
    char16_t letter;       // none when 0
    QString longName;      // without its "--"
    QStringView valueName; // in the usage; none for an option that takes no value
    // What the usage says of it, the source text of its translation in the BatchCommandLine context;
    // null for a form the usage does not list.
    const char *usageText;
    bool libraryOnly;
    // Kind::Program: the option it sets, and the value a switch sets it to.
    const ProgramOption *program = nullptr;
    qint64 switchValue = 0;

    bool takesValue() const { return !valueName.isEmpty(); }
};

namespace BatchOptionList {

// Every option, in the order the usage lists them: the conversion's settings, the program's options
// that need no -L, those that need it (the batch's own first), help and version; then the forms the
// usage leaves out.
const QList<BatchOption> &all();

} // namespace BatchOptionList
