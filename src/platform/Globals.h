#pragma once

#include <QString>
#include <QtGlobal>

// Program-wide values shared by the connection, pane and transfer code.
// The application creates one instance and hands it to whoever needs it by
// reference; tests make their own.
struct Globals
{
    // Session: filled by the site manager or quick connect, used by connect.
    QString gHost;
    QString gUser;
    QString gPassword;
    int gPort = 21;
    int gTimeout = 30; // seconds
    bool gPassive = true;
    int gEncoding = 0; // the site's "字符集": 0 自动, 1 UTF-8, 2 GBK (RemoteNameEncoding)
    int gEncryption =
        0; // the site's "加密": 0 plain, 1 TLS if offered, 2 TLS, 3 implicit (RemoteEncryption)
    QString gHomeDir;   // the remote start directory
    QString gRemoteDir; // the remote directory last entered
    bool gRestartSupported = false;
    QString gScratchFile;
    // The last confirming dialog (site manager, quick connect) was not
    // confirmed.
    bool gDialogCancelled = true;
};
