#pragma once

#include <QString>

namespace ProductInfo {

// "Tunoxa ": the window caption and the text of lblWeb.
QString caption();

// "Ver " + major.minor.revision of this build.
QString versionText();

} // namespace ProductInfo
