#pragma once

#include "ftp/FtpControlConnection.h"
#include "ftp/FtpListing.h"
#include "ftp/FtpNameCodec.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QString>
#include <QVariant>
#include <QVector>
#include <optional>

class FtpEventSink;
class FtpInterrupt;
class FtpDataConnection;
struct FtpError;

// The settings of the operation in hand, copied from the session's
// properties when it starts.
struct FtpSettings
{
    int timeoutMs = 30000;
    bool passive = true;
    int uploadMode = 0;
    int transferSetting = 0;
};

// What the server offered in FEAT, and what the session learnt on the way.
struct FtpFeatures
{
    bool mlsd = false;
    bool mlst = false;
    bool size = true; // tried until the server refuses it
    bool restStream = false;
    bool utf8 = false;
    bool epsvFailed = false;
    bool eprtFailed = false;
    QByteArray mlstFacts; // the facts offered, "type*;size*;modify*;"
};

// The protocol side of FtpSession: runs on the worker thread, one operation at
// a time, and speaks through FtpEventSink. Every operation throws FtpError;
// errors that leave the control connection unusable close it first.
class FtpEngine
{
public:
    FtpEngine(FtpInterrupt &interrupt, FtpEventSink &sink);
    ~FtpEngine();

    void setSettings(const FtpSettings &settings);
    const FtpSettings &settings() const { return m_settings; }

    // Operations
    void open(const QString &host, const QString &user, const QString &password,
              const QString &account, int port);
    void quit();
    // Closes at once without a word to the server.
    void dropNow();
    void changeDirectory(const QString &path);
    void parentDirectory();
    FtpListing list(const QString &path);
    void makeDirectory(const QString &path);
    void removeDirectory(const QString &path);
    void deleteFile(const QString &path);
    void rename(const QString &from, const QString &to);
    void download(const QString &remote, const QString &local, qint64 offset);
    void upload(const QString &remote, const QString &local, qint64 offset);
    void downloadTree(const QString &remotePattern, const QString &localFolder);
    void uploadTree(const QString &localPattern, const QString &remoteFolder);

    int state() const { return m_state; }
    QString currentDirectory() const { return m_currentDirectory; }
    bool restartSupported() const { return m_features.restStream; }

    // For the transfer and tree-copy helpers
    FtpControlConnection &control() { return m_control; }
    FtpInterrupt &interrupt() { return m_interrupt; }
    FtpFeatures &features() { return m_features; }
    FtpNameCodec &codec() { return m_codec; }
    // Paces the progress reports of the operation in hand.
    QElapsedTimer &progressClock() { return m_progressClock; }
    void report(int code, int category, const QString &text, qint64 count = 0,
                const QVariant &extra = {});
    void requireConnected() const;
    static void checkName(const QString &name);
    QByteArray encode(const QString &path) const { return m_codec.encode(path); }
    // The raw bytes of the directory the server last confirmed.
    QByteArray currentDirectoryRaw() const { return m_currentDirectoryRaw; }
    // CWD with raw bytes; false when the server refuses (reply code in `refusal`).
    bool enterRaw(const QByteArray &raw, int *refusal = nullptr);
    // PWD; throws 11114/11107 when the reply cannot be used.
    void confirmDirectory();
    // Back to a directory known by its raw path (after a tree walk).
    void restoreDirectory(const QByteArray &raw, const QString &shown);
    // The MLST facts of `raw` (empty: the current directory), or an empty
    // text when the server has no MLST or refuses.
    QByteArray factsOf(const QByteArray &raw);
    std::optional<qint64> remoteSize(const QByteArray &raw);
    void useTransferType();
    // Lists `raw` (empty: the current directory) with MLSD or LIST; `uniques`
    // receives the MLSD unique facts when wanted.
    FtpListing listRaw(const QByteArray &raw, QVector<QByteArray> *uniques = nullptr);
    // The transfer command after the data connection was prepared: waits for
    // the preliminary reply and opens the data connection.
    FtpReply startTransfer(FtpDataConnection &data, const QByteArray &verb,
                           const QByteArray &argument);
    // The reply that ends a transfer; throws when it is not a success.
    void finishTransfer();
    // After a stop or a limit: closes the data connection, sends ABOR and
    // reads up to the reply of a PWD sent after it, so the replies of the
    // aborted transfer never answer a later command. Closes the session when
    // the server does not come back.
    void abortTransfer(FtpDataConnection &data);
    // The data connection broke (11113 from its socket): reads the reply
    // that ends the transfer, so the replies stay in step, and throws the
    // server's refusal (426, 552) when it gave one, else `error`.
    [[noreturn]] void failTransfer(FtpDataConnection &data, const FtpError &error);

private:
    template <typename Operation> void guarded(Operation &&operation);
    void setState(int state);
    void login(const QString &user, const QString &password, const QString &account);
    void readFeatures();
    void closeControl();
    bool directoryExists(const QByteArray &raw);
    QString parseDirectoryReply(const FtpReply &reply, QByteArray &raw);

    FtpInterrupt &m_interrupt;
    FtpEventSink &m_sink;
    FtpSettings m_settings;
    FtpControlConnection m_control;
    FtpFeatures m_features;
    FtpNameCodec m_codec;
    int m_state = 0;
    char m_type = 0; // the TYPE the server was last told
    QElapsedTimer m_progressClock;
    QString m_currentDirectory;
    QByteArray m_currentDirectoryRaw;
};
