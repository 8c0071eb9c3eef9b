#include "app/AppVersion.h"

#include <QtGlobal>

int AppVersion::majorVersion()
{
    return KORVU_VERSION_MAJOR;
}

int AppVersion::minorVersion()
{
    return KORVU_VERSION_MINOR;
}

int AppVersion::revisionNumber()
{
    return KORVU_VERSION_PATCH;
}

QString AppVersion::number()
{
    return QStringLiteral("%1.%2.%3").arg(majorVersion()).arg(minorVersion()).arg(revisionNumber());
}

QString AppVersion::platformName()
{
#if defined(Q_OS_WIN)
    return QStringLiteral("Windows");
#elif defined(Q_OS_MACOS)
    return QStringLiteral("macOS");
#elif defined(Q_OS_LINUX)
    return QStringLiteral("Linux");
#else
    return QStringLiteral("Unix");
#endif
}
