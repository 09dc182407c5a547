#pragma once

#include <QMetaType>
#include <QString>

// Library mode: a folder below whose counterpart in the copy nothing is moved or deleted, and why.
struct KeptFolder
{
    enum class Reason
    {
        EmptyOrUnreadable, // a folder of the library: it may be an unmounted disk
        Link,              // a link in the output folder: what it leads to is not the copy's
    };
    QString folder;
    Reason reason = Reason::EmptyOrUnreadable;
    bool operator==(const KeptFolder &) const = default;
};
Q_DECLARE_METATYPE(KeptFolder)
