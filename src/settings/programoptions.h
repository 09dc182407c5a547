#pragma once

#include "settings/programsettings.h"

#include <QStringView>
#include <QtGlobal>

#include <span>
#include <variant>

// One program-wide option: its options.ini line, the values it takes, its tunoxa-batch option and
// its caption in the options dialog. Its default is the value a ProgramSettings starts with.
struct ProgramOption
{
    // How its options.ini line is read; every line is written as the value's decimal number.
    enum class Reading : quint8
    {
        // The line's leading number (rounded half to even) in 16 bits; anything else reads as 0.
        Code,
        // The leading number; past 32 bits the nearest bound, so that a huge time still reads as
        // beyond the cutter's limit.
        Seconds,
        // The leading number kept within least..most; a line without one reads as least.
        Clamped,
        // "1" is on, "0" off; any other line keeps the default.
        Switch,
        // A number that starts with an ASCII digit and is within least..most once rounded; any other
        // line keeps the default (0 would mean something else). Other scripts' digits are no number.
        Bounded,
    };
    // A `most` that is the number of processor cores of the machine the program runs on.
    static constexpr qint32 processorCores = -1;

    using Field = std::variant<ProgramSettings::SoundChoice ProgramSettings::*,
                               ProgramSettings::CutterSwitch ProgramSettings::*, qint32 ProgramSettings::*,
                               bool ProgramSettings::*>;

    Field field;
    Reading reading;
    qint32 least = 0;
    qint32 most = 0;
    // Written even at its default, as the file always had it; any other line is written when it or
    // a later one differs from its default.
    bool alwaysWritten = false;
    // It means something in library mode only: the dialog enables it with library mode, tunoxa-batch
    // takes it with -L only, and a run outside library mode takes it as 0 (off).
    bool libraryOnly = false;
    // tunoxa-batch's option: its letter and its long name (none when null); the name of its value in
    // the usage, none for a switch. A switch that is on by default is also taken as --no-<name>,
    // which is the form the usage lists.
    char16_t letter = 0;
    QStringView longName = {};
    QStringView valueName = {};
    // What the usage says of the form it lists, the source text of its translation in the
    // BatchCommandLine context: %1 is the default, %2 the most.
    const char *usageText = nullptr;
    // The options dialog's caption, the source text of its translation in the OptionsDialog context;
    // null where the dialog shows none.
    const char *caption = nullptr;

    qint64 value(const ProgramSettings &settings) const;
    void assign(ProgramSettings &settings, qint64 value) const;
    qint64 defaultValue() const { return value(ProgramSettings{}); }
    // most, with processorCores standing for cores.
    qint32 mostWith(int cores) const { return most == processorCores ? cores : most; }
};

namespace ProgramOptions {

// Every option, in the order of options.ini's lines.
std::span<const ProgramOption> all();

// The option held in `member`.
template<typename Value> const ProgramOption &of(Value ProgramSettings::*member)
{
    for (const ProgramOption &option : all()) {
        if (option.field == ProgramOption::Field(member))
            return option;
    }
    Q_UNREACHABLE();
}

// The settings a run takes: outside library mode every library-only option is 0 (off).
ProgramSettings inEffect(const ProgramSettings &settings);

} // namespace ProgramOptions
