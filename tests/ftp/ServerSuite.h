#pragma once

#include "remote/RemoteCodes.h"
#include "remote/RemoteSession.h"

#include <QObject>
#include <QTemporaryDir>
#include <memory>

// The behaviour every real server must show through RemoteSession, FTP and
// SFTP alike, run once per server by a subclass that starts it and makes its
// sessions (ServerSuites.h). What one protocol cannot show (FTP's data
// connections and reply lines) is skipped by speaksFtp(); the numbers of its
// refusals differ as the protocols do.
// Each test works in a folder of its own below the server's writable area.
class ServerSuite : public QObject
{
    Q_OBJECT

protected:
    // Why the server cannot run here (the suite is skipped), or nothing.
    virtual QString unavailable() const { return {}; }
    // Starts the server on the tree at `root`; false with a reason.
    virtual bool startServer(const QString &root, QString &why) = 0;
    virtual QString host() const = 0;
    virtual quint16 port() const = 0;
    virtual QString user() const = 0;
    virtual QString password() const = 0;
    virtual std::unique_ptr<RemoteSession> newSession() const = 0;
    // A user name the server refuses (refusedLoginNumber()).
    virtual QString refusedUser() const = 0;
    // The writable area as the server names it, and as it lies on disk.
    virtual QString remoteArea() const = 0;
    virtual QString localArea() const = 0;
    // Lets the server change what a test put on its disk.
    virtual void handOver(const QString &path) { Q_UNUSED(path) }
    virtual int listingFormat() const = 0;
    // The kind a symbolic link to a file is listed with.
    virtual RemoteEntryKind linkKind() const = 0;
    // Sets up a session before it connects (encryption, certificates, host keys).
    virtual void configure(RemoteSession &session) { Q_UNUSED(session) }
    // FTP: commands and replies reach the log, data connections are active
    // or passive, names with line breaks cannot be sent.
    virtual bool speaksFtp() const { return true; }
    // How the server refuses a log-in, a name that is not there, and a
    // folder that is not empty.
    virtual int refusedLoginNumber() const { return 530; }
    virtual int missingNumber() const { return 550; }
    virtual int notEmptyNumber() const { return 550; }

    void connectSession(RemoteSession &session);
    // This test's own folder: on the server, and on the server's disk.
    QString remoteDir() const;
    QString serverDisk() const;
    // A folder for the client's local files.
    QString clientDisk() const;

private Q_SLOTS:
    void initTestCase();
    void init();

    void connectsLogsInAndCloses();
    void refusesBadLoginAndClosedPort();
    void changesAndCreatesDirectories();
    void makeDirectoryTellsExistsOnlyWhenItExists();
    void renamesAndDeletes();
    void listsEntries();
    void downloadsReplacingAndResuming();
    void refusesResumeBeyondLocalFile();
    void uploadsOverwritingAndResuming();
    void transfersInActiveMode();
    void copiesTreesBothWays();
    void downloadsAFolderThatIsAFile_data();
    void downloadsAFolderThatIsAFile();
    void uploadsNoLinkOutOfTheFolder();
    void removesTrees_data();
    void removesTrees();
    void stopsTransferFromHandler_data();
    void stopsTransferFromHandler();
    void dropsFromHandler();
    void refusesSecondOperationWhileBusy();
    void throttlesProgress();

private:
    QTemporaryDir m_root;
    QTemporaryDir m_client;
    QString m_testFolder;
};
