#include "platform/productinfo.h"

#include <QCoreApplication>

namespace ProductInfo {

QString caption()
{
    return QStringLiteral("Tunoxa ");
}

QString applicationTitle()
{
    return QCoreApplication::translate("ProductInfo", "Tunoxa转换器");
}

QString versionText()
{
    return QCoreApplication::translate("ProductInfo", "Ver %1").arg(versionNumber());
}

QString versionNumber()
{
    return QStringLiteral("%1.%2.%3")
        .arg(TUNOXA_VERSION_MAJOR)
        .arg(TUNOXA_VERSION_MINOR)
        .arg(TUNOXA_VERSION_PATCH);
}

} // namespace ProductInfo
