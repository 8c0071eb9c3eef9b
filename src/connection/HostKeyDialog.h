#pragma once

#include "connection/TrustDialog.h"
#include "remote/RemoteQuestion.h"

// "服务器主机密钥" (object name frmHostKey): whether to trust an SSH server's
// host key that neither ~/.ssh/known_hosts nor the user's earlier answers
// vouch for. It shows the server, the key type and its SHA-256 fingerprint
// as OpenSSH prints them ("SHA256:...").
//
// An unknown key: 信任一次 (once), 始终信任 (always) or 拒绝 (refuse). A key
// that differs from the one known for the server may be an attack: the
// dialog says so as plainly as OpenSSH does, shows both fingerprints, and
// offers only 拒绝 and an explicit 替换已知密钥 (always: the new key replaces
// the old one). Escape and the close box refuse.
class HostKeyDialog : public TrustDialog
{
    Q_OBJECT

public:
    // `changed`: the fingerprint known for the server, when the key differs.
    HostKeyDialog(const RemoteHostKey &key, const QString &changed, QWidget *parent = nullptr);
};
