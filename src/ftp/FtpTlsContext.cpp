#include "ftp/FtpTlsContext.h"

#include "ftp/FtpErrors.h"

#include <QByteArray>
#include <QHostAddress>
#include <QUrl>
#include <cerrno>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>
#include <sys/socket.h>

namespace {

// A socket BIO of our own: OpenSSL's writes with write(), which raises
// SIGPIPE when the server has closed the connection.
struct SocketState
{
    int fd = -1;
    bool ended = false;       // the peer closed: OpenSSL asks with BIO_CTRL_EOF
    bool closeNotify = false; // ... and said first that its data was complete
};

SocketState &stateOf(BIO *bio)
{
    return *static_cast<SocketState *>(BIO_get_data(bio));
}

int bioWrite(BIO *bio, const char *data, int size)
{
    BIO_clear_retry_flags(bio);
    const ssize_t n = ::send(stateOf(bio).fd, data, size_t(size), MSG_NOSIGNAL);
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR))
        BIO_set_retry_write(bio);
    return int(n);
}

int bioRead(BIO *bio, char *data, int size)
{
    BIO_clear_retry_flags(bio);
    SocketState &state = stateOf(bio);
    const ssize_t n = ::recv(state.fd, data, size_t(size), 0);
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR))
        BIO_set_retry_read(bio);
    if (n == 0)
        state.ended = true;
    return int(n);
}

long bioControl(BIO *bio, int command, long, void *)
{
    switch (command) {
    case BIO_CTRL_FLUSH: // writes go straight to the socket
        return 1;
    case BIO_CTRL_EOF: // a close without close_notify is an end, not an error
        return stateOf(bio).ended ? 1 : 0;
    default:
        return 0;
    }
}

int bioCreate(BIO *bio)
{
    BIO_set_data(bio, new SocketState);
    BIO_set_init(bio, 1);
    return 1;
}

int bioDestroy(BIO *bio)
{
    delete static_cast<SocketState *>(BIO_get_data(bio));
    BIO_set_data(bio, nullptr);
    return 1;
}

// OpenSSL reads a close without close_notify as a clean end as well
// (SSL_OP_IGNORE_UNEXPECTED_EOF): the alert itself is noted here.
void onInfo(const SSL *ssl, int where, int value)
{
    if ((where & SSL_CB_READ_ALERT) && (value & 0xff) == SSL_AD_CLOSE_NOTIFY)
        stateOf(SSL_get_rbio(ssl)).closeNotify = true;
}

const BIO_METHOD *socketMethod()
{
    static BIO_METHOD *const method = [] {
        BIO_METHOD *m = BIO_meth_new(BIO_get_new_index() | BIO_TYPE_SOURCE_SINK, "korvu socket");
        BIO_meth_set_write(m, bioWrite);
        BIO_meth_set_read(m, bioRead);
        BIO_meth_set_ctrl(m, bioControl);
        BIO_meth_set_create(m, bioCreate);
        BIO_meth_set_destroy(m, bioDestroy);
        return m;
    }();
    return method;
}

[[noreturn]] void fail(RemoteMessage what)
{
    throw FtpErrors::own(
        RemoteErrorCode::TlsHandshakeFailed,
        RemoteText(RemoteMessage::WithReason,
                   {what, FtpTlsContext::lastError(RemoteMessage::TlsUnknownError)}));
}

QString nameText(const X509_NAME *name)
{
    BIO *out = BIO_new(BIO_s_mem());
    // RFC 2253 order and escaping, but UTF-8 left as it is: Chinese
    // organisation names stay readable.
    X509_NAME_print_ex(out, name, 0, XN_FLAG_RFC2253 & ~ASN1_STRFLGS_ESC_MSB);
    char *data = nullptr;
    const long size = BIO_get_mem_data(out, &data);
    const QString text = QString::fromUtf8(data, size);
    BIO_free(out);
    return text;
}

QDateTime timeOf(const ASN1_TIME *time)
{
    tm parts{};
    if (!time || ASN1_TIME_to_tm(time, &parts) != 1)
        return {};
    return QDateTime(QDate(parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday),
                     QTime(parts.tm_hour, parts.tm_min, parts.tm_sec), Qt::UTC);
}

RemoteCertificateProblem problemOf(long result)
{
    switch (result) {
    case X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT:
        return RemoteCertificateProblem::SelfSigned;
    case X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN:
        return RemoteCertificateProblem::SelfSignedChain;
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT:
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY:
    case X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE:
        return RemoteCertificateProblem::UntrustedIssuer;
    case X509_V_ERR_CERT_HAS_EXPIRED:
        return RemoteCertificateProblem::Expired;
    case X509_V_ERR_CERT_NOT_YET_VALID:
        return RemoteCertificateProblem::NotYetValid;
    case X509_V_ERR_HOSTNAME_MISMATCH:
    case X509_V_ERR_IP_ADDRESS_MISMATCH:
        return RemoteCertificateProblem::WrongHost;
    default:
        return RemoteCertificateProblem::Other;
    }
}

} // namespace

FtpTlsContext::FtpTlsContext() = default;

FtpTlsContext::~FtpTlsContext()
{
    reset();
    SSL_CTX_free(m_context);
}

void FtpTlsContext::reset()
{
    for (const Fresh &fresh : m_fresh)
        SSL_SESSION_free(fresh.session);
    m_fresh.clear();
    SSL_SESSION_free(m_lastResumed);
    m_lastResumed = nullptr;
    m_controlFingerprint.clear();
}

void FtpTlsContext::create()
{
    m_context = SSL_CTX_new(TLS_client_method());
    if (!m_context)
        fail(RemoteMessage::TlsCannotStart);
    // The system's trust store; certificates it does not vouch for are put
    // to the caller, so the handshake itself never stops at them.
    SSL_CTX_set_default_verify_paths(m_context);
    SSL_CTX_set_verify(m_context, SSL_VERIFY_NONE, nullptr);
    // A close without close_notify ends the data like any other, and the
    // caller judges it (saidCloseNotify): a file whose size was known and
    // reached is whole, anything else may have been cut by whoever can
    // forge a TCP end.
    SSL_CTX_set_options(m_context, SSL_OP_IGNORE_UNEXPECTED_EOF | SSL_OP_NO_COMPRESSION);
    SSL_CTX_set_info_callback(m_context, onInfo);
    SSL_CTX_set_mode(m_context,
                     SSL_MODE_ENABLE_PARTIAL_WRITE | SSL_MODE_ACCEPT_MOVING_WRITE_BUFFER);
    // The sessions are kept here, not in OpenSSL's cache: TLS 1.3 hands them
    // out after the handshake, one ticket at a time.
    SSL_CTX_set_session_cache_mode(m_context,
                                   SSL_SESS_CACHE_CLIENT | SSL_SESS_CACHE_NO_INTERNAL_STORE);
    SSL_CTX_sess_set_new_cb(m_context, &FtpTlsContext::onNewSession);
}

int FtpTlsContext::onNewSession(ssl_st *ssl, ssl_session_st *session)
{
    // A connection's app data is the context that keeps its sessions.
    auto *self = static_cast<FtpTlsContext *>(SSL_get_app_data(ssl));
    if (!self)
        return 0;
    // A handful is plenty: each data connection brings new ones.
    constexpr size_t kept = 8;
    if (self->m_fresh.size() == kept) {
        SSL_SESSION_free(self->m_fresh.front().session);
        self->m_fresh.erase(self->m_fresh.begin());
    }
    self->m_fresh.push_back({session, ssl});
    return 1; // the reference is ours now
}

void FtpTlsContext::closing(ssl_st *ssl, bool cleanly)
{
    auto *self = static_cast<FtpTlsContext *>(SSL_get_app_data(ssl));
    if (!self)
        return;
    std::erase_if(self->m_fresh, [ssl, cleanly](Fresh &fresh) {
        if (fresh.origin != ssl)
            return false;
        // The connection's address may come again for another one.
        fresh.origin = nullptr;
        if (cleanly)
            return false;
        SSL_SESSION_free(fresh.session);
        return true;
    });
}

ssl_st *FtpTlsContext::connection(int fd, const QString &host, bool control)
{
    if (!m_context)
        create();
    SSL *ssl = SSL_new(m_context);
    BIO *bio = ssl ? BIO_new(socketMethod()) : nullptr;
    if (!bio) {
        SSL_free(ssl);
        fail(RemoteMessage::TlsCannotConnect);
    }
    stateOf(bio).fd = fd;
    SSL_set_bio(ssl, bio, bio);
    SSL_set_app_data(ssl, this);
    if (control) {
        QString literal = host;
        if (literal.startsWith(QLatin1Char('[')) && literal.endsWith(QLatin1Char(']')))
            literal = literal.mid(1, literal.size() - 2);
        X509_VERIFY_PARAM *param = SSL_get0_param(ssl);
        if (QHostAddress(literal).isNull()) {
            const QByteArray name = QUrl::toAce(host);
            // The name for virtual hosts (SNI), and the one the certificate
            // must carry.
            SSL_set_tlsext_host_name(ssl, name.constData());
            X509_VERIFY_PARAM_set_hostflags(param, X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS);
            X509_VERIFY_PARAM_set1_host(param, name.constData(), size_t(name.size()));
        } else {
            X509_VERIFY_PARAM_set1_ip_asc(param, literal.toLatin1().constData());
        }
    } else {
        if (!m_fresh.empty()) {
            SSL_SESSION_free(m_lastResumed);
            m_lastResumed = m_fresh.back().session;
            m_fresh.pop_back();
        }
        if (m_lastResumed)
            SSL_set_session(ssl, m_lastResumed);
    }
    SSL_set_connect_state(ssl);
    return ssl;
}

void FtpTlsContext::controlEstablished(ssl_st *ssl)
{
    m_controlFingerprint = fingerprint(ssl);
}

QString FtpTlsContext::fingerprint(ssl_st *ssl)
{
    const X509 *certificate = SSL_get0_peer_certificate(ssl);
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (!certificate || !X509_digest(certificate, EVP_sha256(), digest, &length))
        return {};
    return QString::fromLatin1(
        QByteArray(reinterpret_cast<const char *>(digest), int(length)).toHex(':').toUpper());
}

QString FtpTlsContext::protocol(ssl_st *ssl)
{
    return QString::fromLatin1(SSL_get_version(ssl));
}

QString FtpTlsContext::cipher(ssl_st *ssl)
{
    return QString::fromLatin1(SSL_get_cipher_name(ssl));
}

bool FtpTlsContext::saidCloseNotify(ssl_st *ssl)
{
    return stateOf(SSL_get_rbio(ssl)).closeNotify;
}

bool FtpTlsContext::resumed(ssl_st *ssl)
{
    return SSL_session_reused(ssl) == 1;
}

std::optional<RemoteCertificate> FtpTlsContext::unverified(ssl_st *ssl)
{
    const long result = SSL_get_verify_result(ssl);
    const X509 *certificate = SSL_get0_peer_certificate(ssl);
    if (result == X509_V_OK && certificate)
        return std::nullopt;
    RemoteCertificate described;
    described.fingerprint = fingerprint(ssl);
    if (!certificate) {
        described.problem = RemoteCertificateProblem::NoCertificate;
        return described;
    }
    described.subject = nameText(X509_get_subject_name(certificate));
    described.issuer = nameText(X509_get_issuer_name(certificate));
    described.validFrom = timeOf(X509_get0_notBefore(certificate));
    described.validUntil = timeOf(X509_get0_notAfter(certificate));
    described.problem = problemOf(result);
    described.problemWords = QString::fromLatin1(X509_verify_cert_error_string(result));
    return described;
}

RemoteText FtpTlsContext::lastError(const RemoteText &fallback)
{
    // The first in the queue is the cause; what follows says where it surfaced.
    const unsigned long first = ERR_get_error();
    ERR_clear_error();
    const char *reason = first ? ERR_reason_error_string(first) : nullptr;
    return reason ? RemoteText(RemoteMessage::TlsLibrary, {QString::fromLatin1(reason)}) : fallback;
}
