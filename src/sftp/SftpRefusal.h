#pragma once

#include "sftp/SftpError.h"

struct SftpReply;

// Turns a reply that is not what the request wanted into the error to throw.
namespace SftpRefusal {

// A STATUS reply's code as a kind, with the server's code and message.
SftpError fromStatus(const SftpReply &reply, const QString &subject);
// Throws unless `reply` is of `type`: the server's refusal for a STATUS,
// ProtocolError for any other type.
void expect(const SftpReply &reply, quint8 type, const QString &subject);
// Throws unless `reply` is STATUS OK.
void expectOk(const SftpReply &reply, const QString &subject);

} // namespace SftpRefusal
