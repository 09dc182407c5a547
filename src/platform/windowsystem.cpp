#include "platform/windowsystem.h"

#include <QCoreApplication>
#include <QtGlobal>

#include <algorithm>
#include <array>
#include <string_view>

namespace {

struct QtOption
{
    std::string_view name;
    bool takesValue;
};

// The options QGuiApplication, QApplication and the X11 platform remove from the command line.
constexpr std::array<QtOption, 23> qtOptions{{
    {"platform", true},
    {"platformpluginpath", true},
    {"platformtheme", true},
    {"plugin", true},
    {"qwindowgeometry", true},
    {"geometry", true},
    {"qwindowtitle", true},
    {"title", true},
    {"qwindowicon", true},
    {"icon", true},
    {"session", true},
    {"style", true},
    {"stylesheet", true},
    {"display", true},
    {"name", true},
    {"visual", true},
    {"reverse", false},
    {"widgetcount", false},
    {"nograb", false},
    {"dograb", false},
    {"sync", false},
    {"testability", false},
    {"qmljsdebugger", false},
}};

// The option's name without its one or two dashes, and without an attached "=value".
std::string_view optionName(const QByteArray &argument)
{
    std::string_view name(argument.constData(), size_t(argument.size()));
    name.remove_prefix(name.starts_with("--") ? 2 : 1);
    return name.substr(0, name.find('='));
}

const QtOption *qtOption(const QByteArray &argument)
{
    if (argument.size() < 2 || !argument.startsWith('-'))
        return nullptr;
    const std::string_view name = optionName(argument);
    const auto found = std::find_if(qtOptions.cbegin(), qtOptions.cend(),
                                    [name](const QtOption &option) { return option.name == name; });
    return found == qtOptions.cend() ? nullptr : &*found;
}

} // namespace

namespace WindowSystem {

QString noDisplayText()
{
    return QCoreApplication::translate("WindowSystem", "没有可用的图形显示 (DISPLAY)");
}

bool seemsReachable(const QList<QByteArray> &arguments)
{
    QByteArray platforms = qgetenv("QT_QPA_PLATFORM");
    for (qsizetype k = 0; k + 1 < arguments.size(); ++k) {
        if (arguments[k] == "-platform" || arguments[k] == "--platform")
            platforms = arguments[k + 1];
    }
    const bool x11 = !qEnvironmentVariableIsEmpty("DISPLAY");
    if (platforms.isEmpty())
        return x11 || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
               qgetenv("XDG_SESSION_TYPE") == "wayland";
    // "xcb;offscreen" is a list to try in turn; "xcb:option" gives a platform its options.
    const QList<QByteArray> names = platforms.split(';');
    return x11 || std::any_of(names.cbegin(), names.cend(),
                              [](const QByteArray &name) { return name.split(':').constFirst() != "xcb"; });
}

QList<QByteArray> withoutQtOptions(const QList<QByteArray> &arguments)
{
    QList<QByteArray> rest;
    for (qsizetype k = 0; k < arguments.size(); ++k) {
        const QtOption *option = qtOption(arguments[k]);
        if (!option) {
            rest.append(arguments[k]);
            continue;
        }
        if (option->takesValue && !arguments[k].contains('='))
            ++k;
    }
    return rest;
}

} // namespace WindowSystem
