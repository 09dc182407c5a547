#pragma once

#include <QString>

namespace ProductInfo {

// "Tunoxa ": the window caption and the text of productLink.
QString caption();

// The title of the program's message boxes and of the About box.
QString applicationTitle();

// "Ver " + versionNumber().
QString versionText();

// major.minor.revision of this build, as "1.0.0".
QString versionNumber();

} // namespace ProductInfo
