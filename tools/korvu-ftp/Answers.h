#pragma once

#include "CommandLine.h"
#include "remote/RemoteQuestion.h"

// What korvu-ftp answers the session while it connects: certificates and
// host keys as the options say, never by asking; a passphrase, a password
// or the server's questions from the user at the terminal, and declined
// when there is none (a script must not hang on a prompt).
namespace Answers {

RemoteAnswer answer(const Invocation &invocation, const RemoteQuestion &question);

} // namespace Answers
