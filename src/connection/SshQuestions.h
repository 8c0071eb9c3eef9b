#pragma once

#include "platform/TrustedCertificates.h"
#include "remote/RemoteQuestion.h"

#include <QStringList>

class Prompts;
class QWidget;
class SessionLog;

// The program's answers to what an SSH log-in asks. Host keys: a key in
// ~/.ssh/known_hosts never reaches here (the session takes it), nor one the
// user trusted always, which the caller hands to the session beforehand
// (trustedKeys); any other is put to the user in HostKeyDialog, and
// "始终信任" is kept with the trusted certificates, per host and port. A
// key other than the one kept or known is shown as changed. Passwords and
// passphrases are asked in a secret box, keyboard-interactive questions one
// box each (hidden unless the server lets the answer show).
class SshQuestions
{
public:
    // `storePath` empty: the file in the user's data folder.
    SshQuestions(QWidget *window, Prompts &prompts, SessionLog &log,
                 const QString &storePath = QString());

    // The host keys the user trusts always for the host and port.
    QStringList trustedKeys(const QString &host, int port) const;

    RemoteAnswer hostKey(const RemoteHostKey &key);
    RemoteAnswer secret(const RemoteSecretPrompt &prompt);
    RemoteAnswer interactive(const RemoteInteractivePrompt &prompt);

private:
    QWidget *window;
    Prompts &prompts;
    SessionLog &log;
    TrustedCertificates store;
};
