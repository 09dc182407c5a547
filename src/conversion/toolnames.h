#pragma once

#include <QStringView>

// The tools of the program folder's data folder, by the names the run gives them.
namespace ToolName {

inline constexpr QStringView conv = u"conv";
inline constexpr QStringView coder = u"coder";
inline constexpr QStringView coder2 = u"coder2";
inline constexpr QStringView sox = u"sox";
inline constexpr QStringView flac = u"flac"; // the reference decoder

} // namespace ToolName
