#pragma once

#include "remote/RemoteQuestion.h"
#include "remote/RemoteText.h"

#include <QString>
#include <optional>
#include <vector>

struct ssl_ctx_st;
struct ssl_session_st;
struct ssl_st;

// The TLS side of one session, over OpenSSL: the client context, which
// trusts what the system trusts, and what the data connections take from
// the control connection. Each data connection resumes the control
// connection's TLS session (servers such as vsftpd refuse one that does
// not: only resumption proves it comes from the same client) and must show
// the control connection's certificate (else it comes from another peer).
//
// TLS 1.3 servers may take each session ticket once only; they hand out new
// ones on every connection, the resumed data connections included. So each
// data connection takes the newest ticket nobody has used, and only when
// there is none (TLS 1.2 session ids, which do not run out) the last one
// again. A server drops the tickets of a connection that did not end
// cleanly (a stopped transfer): those are forgotten here too.
//
// Used on the worker thread only. The connections it makes read and write
// the socket with MSG_NOSIGNAL: a peer that has gone never raises SIGPIPE.
class FtpTlsContext
{
public:
    FtpTlsContext();
    ~FtpTlsContext();
    FtpTlsContext(const FtpTlsContext &) = delete;
    FtpTlsContext &operator=(const FtpTlsContext &) = delete;

    // A new control connection: the last one's session and certificate are
    // forgotten.
    void reset();
    // A client connection over the connected socket `fd`, before its
    // handshake. The control connection's certificate is checked against
    // `host` (a name or an address); a data connection offers the control
    // connection's session. Throws RemoteError 11121 when OpenSSL fails.
    ssl_st *connection(int fd, const QString &host, bool control);
    // After the control connection's handshake: its certificate is the one
    // the data connections must show.
    void controlEstablished(ssl_st *ssl);
    QString controlFingerprint() const { return m_controlFingerprint; }
    // Before a connection is freed: without a clean TLS end its tickets
    // are void.
    static void closing(ssl_st *ssl, bool cleanly);

    // About an established connection: the peer's certificate's SHA-256
    // ("AB:CD:..."), the protocol ("TLSv1.3"), the cipher, and whether it
    // resumed an earlier session.
    static QString fingerprint(ssl_st *ssl);
    static QString protocol(ssl_st *ssl);
    static QString cipher(ssl_st *ssl);
    static bool resumed(ssl_st *ssl);
    // Whether the peer ended its side with close_notify, the only proof
    // that an encrypted stream was not cut short.
    static bool saidCloseNotify(ssl_st *ssl);
    // Nothing when the certificate was verified against the trust store and
    // the host; else the certificate and why it was not (host and port left
    // for the caller).
    static std::optional<RemoteCertificate> unverified(ssl_st *ssl);
    // OpenSSL's reason for the last failure of this thread (the library's
    // own words, which RemoteTexts says in Chinese where it knows them), or
    // `fallback`; the error queue is emptied.
    static RemoteText lastError(const RemoteText &fallback);

private:
    static int onNewSession(ssl_st *ssl, ssl_session_st *session);
    void create();

    ssl_ctx_st *m_context = nullptr;
    // Sessions not yet resumed, newest last, with the connection that
    // brought each.
    struct Fresh
    {
        ssl_session_st *session;
        const ssl_st *origin;
    };
    std::vector<Fresh> m_fresh;
    ssl_session_st *m_lastResumed = nullptr;
    QString m_controlFingerprint;
};
