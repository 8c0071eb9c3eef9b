#pragma once

// The start the window drivers share: no display needed unless one is set,
// the arguments checked against the usage line, and the log-in before the
// measuring begins.

#include "remote/RemoteSession.h"
#include "remote/RemoteTexts.h"

#include <QStringList>
#include <cstdio>

// Called before the QApplication is made.
inline void runOffscreenUnlessSet()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

// False, with the usage printed, when fewer than `needed` arguments came
// (the program's own name counts).
inline bool hasArguments(const QStringList &args, qsizetype needed, const char *usage)
{
    if (args.size() >= needed)
        return true;
    std::fprintf(stderr, "usage: %s\n", usage);
    return false;
}

// False, with the reason printed, when the log-in fails.
inline bool logIn(RemoteSession &session, const QString &host, int port, const QString &user,
                  const QString &password, int timeoutSeconds)
{
    try {
        session.setTimeoutMs(timeoutSeconds * 1000);
        session.OpenConnection(host, user, password, QString(), port);
        return true;
    } catch (const RemoteError &error) {
        std::fprintf(stderr, "cannot connect: %d %s\n", error.number,
                     qPrintable(RemoteTexts::description(error)));
        return false;
    }
}
