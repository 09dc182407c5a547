#include "platform/productinfo.h"

namespace ProductInfo {

QString caption()
{
    return QStringLiteral("Tunoxa ");
}

QString applicationTitle()
{
    return QStringLiteral("Tunoxa转换器");
}

QString versionText()
{
    return QStringLiteral("Ver %1.%2.%3")
        .arg(TUNOXA_VERSION_MAJOR)
        .arg(TUNOXA_VERSION_MINOR)
        .arg(TUNOXA_VERSION_PATCH);
}

} // namespace ProductInfo
