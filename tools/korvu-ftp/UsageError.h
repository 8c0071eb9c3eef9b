#pragma once

#include <QString>

// A command line korvu-ftp cannot run; the message says why, for the user.
struct UsageError
{
    QString message;
};
