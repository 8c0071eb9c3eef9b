#include "sftp/SftpHostKeyCheck.h"

#include "sftp/SftpError.h"

#include <QFile>
#include <memory>

namespace {

struct KeyDeleter
{
    void operator()(ssh_key key) const { ssh_key_free(key); }
};
using Key = std::unique_ptr<std::remove_pointer_t<ssh_key>, KeyDeleter>;

// The key known_hosts holds for the host, when it holds another one:
// libssh says that it differs, not what it is.
QString knownFingerprint(ssh_session session, const QString &host, int port)
{
    const QByteArray name =
        (port == 22 ? host : QStringLiteral("[%1]:%2").arg(host).arg(port)).toUtf8();
    for (const ssh_options_e option : {SSH_OPTIONS_KNOWNHOSTS, SSH_OPTIONS_GLOBAL_KNOWNHOSTS}) {
        char *path = nullptr;
        if (ssh_options_get(session, option, &path) != SSH_OK || !path)
            continue;
        QFile file(QFile::decodeName(path));
        ssh_string_free_char(path);
        if (!file.open(QIODevice::ReadOnly))
            continue;
        while (!file.atEnd()) {
            const QByteArray line = file.readLine().trimmed();
            ssh_knownhosts_entry *entry = nullptr;
            if (line.isEmpty() || line.startsWith('#') ||
                ssh_known_hosts_parse_line(name.constData(), line.constData(), &entry) != SSH_OK ||
                !entry)
                continue;
            const QString result = SftpHostKeyCheck::fingerprint(entry->publickey);
            ssh_knownhosts_entry_free(entry);
            return result;
        }
    }
    return {};
}

} // namespace

QString SftpHostKeyCheck::fingerprint(ssh_key key)
{
    unsigned char *hash = nullptr;
    size_t length = 0;
    if (!key || ssh_get_publickey_hash(key, SSH_PUBLICKEY_HASH_SHA256, &hash, &length) != 0)
        return {};
    char *text = ssh_get_fingerprint_hash(SSH_PUBLICKEY_HASH_SHA256, hash, length);
    ssh_clean_pubkey_hash(&hash);
    const QString result = QString::fromLatin1(text);
    ssh_string_free_char(text);
    return result;
}

QString SftpHostKeyCheck::typeName(ssh_key key)
{
    switch (ssh_key_type(key)) {
    case SSH_KEYTYPE_ED25519:
    case SSH_KEYTYPE_ED25519_CERT01:
        return QStringLiteral("ED25519");
    case SSH_KEYTYPE_ECDSA_P256:
    case SSH_KEYTYPE_ECDSA_P384:
    case SSH_KEYTYPE_ECDSA_P521:
    case SSH_KEYTYPE_ECDSA_P256_CERT01:
    case SSH_KEYTYPE_ECDSA_P384_CERT01:
    case SSH_KEYTYPE_ECDSA_P521_CERT01:
        return QStringLiteral("ECDSA");
    case SSH_KEYTYPE_RSA:
    case SSH_KEYTYPE_RSA_CERT01:
        return QStringLiteral("RSA");
    case SSH_KEYTYPE_DSS:
    case SSH_KEYTYPE_DSS_CERT01:
        return QStringLiteral("DSA");
    default:
        return QString::fromLatin1(ssh_key_type_to_char(ssh_key_type(key)));
    }
}

SftpHostKey SftpHostKeyCheck::inspect(ssh_session session, const QString &host, int port,
                                      const QStringList &trusted)
{
    ssh_key raw = nullptr;
    if (ssh_get_server_publickey(session, &raw) != SSH_OK || !raw)
        throw SftpError{
            SftpErrorKind::ProtocolError, -1, {}, host, QString::fromUtf8(ssh_get_error(session))};
    const Key key(raw);
    SftpHostKey result;
    result.host = host;
    result.port = port;
    result.type = typeName(key.get());
    result.algorithm = QString::fromLatin1(ssh_key_type_to_char(ssh_key_type(key.get())));
    result.fingerprint = fingerprint(key.get());
    if (result.fingerprint.isEmpty())
        throw SftpError{SftpErrorKind::ProtocolError, -1, {}, host, QStringLiteral("host key")};
    switch (ssh_session_is_known_server(session)) {
    case SSH_KNOWN_HOSTS_OK:
        result.state = SftpHostKeyState::Known;
        return result;
    case SSH_KNOWN_HOSTS_CHANGED:
    case SSH_KNOWN_HOSTS_OTHER:
        // Another key of the same type or of another type: either way not
        // the key the user has seen for this host.
        result.state = SftpHostKeyState::Changed;
        result.knownFingerprint = knownFingerprint(session, host, port);
        break;
    default:
        result.state = SftpHostKeyState::Unknown;
        break;
    }
    // The caller's own trust counts over known_hosts: the user replaced a
    // changed key explicitly, or answered "always" before.
    if (trusted.contains(result.fingerprint))
        result.state = SftpHostKeyState::Trusted;
    return result;
}
