#pragma once

#include "ftp/FtpControlConnection.h"
#include "ftp/FtpListingReader.h"
#include "ftp/FtpTlsContext.h"
#include "remote/RemoteActivity.h"
#include "remote/RemoteEntry.h"
#include "remote/RemoteHash.h"
#include "remote/RemoteNameCodec.h"
#include "remote/RemoteSettings.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QSet>
#include <QString>
#include <QVector>
#include <optional>

class RemoteDigest;
class RemoteEventSink;
class RemoteInterrupt;

// What the server offered in FEAT, and what the session learnt on the way.
struct FtpFeatures
{
    enum class Support
    {
        Untried,
        Works,
        Refused
    };

    bool mlsd = false;
    bool mlst = false;
    bool size = true; // tried until the server refuses it
    bool restStream = false;
    bool utf8 = false;
    bool epsvFailed = false;
    bool eprtFailed = false;
    // "LIST -a" (dot files too) where there is no MLSD.
    Support listAll = Support::Untried;
    QByteArray mlstFacts; // the facts offered, "type*;size*;modify*;"
    // HASH: the strongest algorithm offered, and the one the server uses
    // now (marked "*" in FEAT, or chosen with OPTS HASH).
    RemoteHashAlgorithm hash = RemoteHashAlgorithm::None;
    RemoteHashAlgorithm hashInUse = RemoteHashAlgorithm::None;
    bool hashChosen = false; // OPTS HASH was tried
    // The strongest of XSHA256, XSHA1, XMD5 and XCRC offered.
    RemoteHashAlgorithm xHash = RemoteHashAlgorithm::None;
    // The server answered a hash command with 500, 502 or 504.
    bool hashRefused = false;
};

// One connection as the pieces of an operation share it: the control
// connection, what the server offered, the one name encoding, the working
// directory and the small exchanges every operation needs (PWD, SIZE, MLST,
// TYPE, a listing). FtpEngine runs the operations on it; the data
// connection, the transfer channel, file transfers and tree copies get it
// and nothing more.
class FtpContext
{
public:
    FtpContext(RemoteInterrupt &interrupt, RemoteEventSink &sink);

    void setSettings(const RemoteSettings &settings);
    const RemoteSettings &settings() const { return m_settings; }
    FtpControlConnection &control() { return m_control; }
    const FtpControlConnection &control() const { return m_control; }
    RemoteInterrupt &interrupt() { return m_interrupt; }
    FtpFeatures &features() { return m_features; }
    RemoteNameCodec &codec() { return m_codec; }
    const RemoteNameCodec &codec() const { return m_codec; }
    FtpTlsContext &tls() { return m_tls; }
    // PROT P is in force: every data connection is encrypted.
    bool dataProtected() const { return m_dataProtected; }
    void setDataProtected(bool on) { m_dataProtected = on; }
    // Where the bytes of a binary transfer go as well (a hash being made of
    // them); nullptr: nowhere.
    RemoteDigest *transferTap() const { return m_transferTap; }
    void setTransferTap(RemoteDigest *tap) { m_transferTap = tap; }
    // Paces the progress reports of the operation in hand.
    QElapsedTimer &progressClock() { return m_progressClock; }

    void report(const RemoteActivity &activity);
    void note(RemoteActivityKind kind, RemoteText text);
    // Puts a certificate that could not be verified to the caller and waits
    // for the answer (RemoteTrust). A drop meanwhile throws 11116, a stop
    // RemoteStopRequest.
    int askAboutCertificate(const RemoteCertificate &certificate);
    // Throws 11101 when the user asked to stop: called after each exchange
    // with the server that may be the last of a stoppable step.
    void stopPoint();
    // A new connection: what the last one learnt is forgotten; names take
    // `encoding`, or wait for the server's names to decide (Undecided).
    void startConnection(RemoteNameCodec::Choice encoding);

    // A name or path to send. While the encoding is still open and the text
    // is not plain ASCII, the folder it lies in is listed first so that the
    // server's names decide (once per folder).
    QByteArray encode(const QString &path);

    // The directory the server last confirmed with PWD (empty: unknown).
    QString currentDirectory() const { return m_currentDirectory; }
    QByteArray currentDirectoryRaw() const { return m_currentDirectoryRaw; }
    void forgetDirectory();
    // CWD with raw bytes; false when the server refuses (the reply in
    // `refusal` when given).
    bool enterRaw(const QByteArray &raw, FtpReply *refusal = nullptr);
    // PWD; throws 11114/11107 when the reply cannot be used.
    void confirmDirectory();
    // Back to a directory known by its raw path (after a tree walk); false
    // when the server refuses.
    bool restoreDirectory(const QByteArray &raw, const QString &shown);

    // The MLST facts of `raw` (empty: the current directory), or an empty
    // text when the server has no MLST or refuses.
    QByteArray factsOf(const QByteArray &raw);
    std::optional<qint64> remoteSize(const QByteArray &raw);
    void useTransferType();
    bool restartSupported() const { return m_features.restStream; }
    // Lists `raw` (empty: the current directory); see FtpListingReader.
    RemoteListing list(const QByteArray &raw,
                       FtpListingReader::Use use = FtpListingReader::Use::Quiet);
    // Hands entries of a listing to the caller as they come.
    void showEntries(const QVector<RemoteEntry> &entries);
    // How many the last list() handed over so.
    qsizetype entriesShown() const { return m_entriesShown; }

private:
    void decideEncodingFor(const QString &path);

    RemoteInterrupt &m_interrupt;
    RemoteEventSink &m_sink;
    RemoteSettings m_settings;
    FtpControlConnection m_control;
    FtpFeatures m_features;
    RemoteNameCodec m_codec;
    qsizetype m_entriesShown = 0;
    FtpTlsContext m_tls;
    bool m_dataProtected = false;
    RemoteDigest *m_transferTap = nullptr;
    char m_type = 0; // the TYPE the server was last told
    QElapsedTimer m_progressClock;
    QString m_currentDirectory;
    QByteArray m_currentDirectoryRaw;
    // Folders listed to decide the encoding, so none is listed twice.
    QSet<QByteArray> m_probed;
};
