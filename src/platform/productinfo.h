#pragma once

#include <QString>

namespace ProductInfo {

// "Tunoxa ": the window caption and the text of productLink.
QString caption();

// "Ver " + major.minor.revision of this build.
QString versionText();

} // namespace ProductInfo
