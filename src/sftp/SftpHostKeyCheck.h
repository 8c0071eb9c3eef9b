#pragma once

#include "sftp/SftpHostKey.h"

#include <QStringList>
#include <libssh/libssh.h>

// Reads the host key a server showed during the handshake and compares it
// with known_hosts and with what the caller trusts.
namespace SftpHostKeyCheck {

// Throws SftpError ProtocolError when the server showed no key.
SftpHostKey inspect(ssh_session session, const QString &host, int port, const QStringList &trusted);
// "SHA256:..." of a key, as OpenSSH prints it; empty when it cannot be made.
QString fingerprint(ssh_key key);
// "ED25519", "ECDSA", "RSA", ... as OpenSSH names key types in its questions.
QString typeName(ssh_key key);

} // namespace SftpHostKeyCheck
