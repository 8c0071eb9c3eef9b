#pragma once

#include <QString>

// The program's version, as set in the build, and the platform it runs on.
class AppVersion
{
public:
    static int majorVersion();
    static int minorVersion();
    static int revisionNumber();
    static QString number();       // "1.0.0"
    static QString platformName(); // "Linux", "Windows", ...
};
