#pragma once

#include <QString>
#include <optional>

class Prompts;

// The checks both connection dialogs make before they hand a server to the
// connect: the address must be given, the port and time-out must be whole
// numbers in range. Each failing check shows its own box (title "Korvu").
namespace ConnectChecks {

inline constexpr int DefaultPort = 21;
// Implicit TLS (FTPS) has a port of its own.
inline constexpr int ImplicitTlsPort = 990;
// SFTP goes over SSH's.
inline constexpr int SshPort = 22;

// The port an empty port box means with the encryption chosen (RemoteEncryption).
int defaultPortFor(int encryption);

// The address to connect to, without surrounding blanks; empty when none.
QString hostFrom(const QString &text);
// The port typed (1-65535), or `defaultPort` when the box is empty; nothing
// when the text is anything else.
std::optional<int> portFrom(const QString &text, int defaultPort = DefaultPort);
// The time-out typed in seconds (1-9999); nothing otherwise.
std::optional<int> timeoutFrom(const QString &text);

struct Server
{
    QString host;
    int port = DefaultPort;
};
// The address and port of both dialogs, checked in that order; the first
// check that fails shows its box and gives nothing.
std::optional<Server> serverFrom(Prompts &prompts, const QString &hostText, const QString &portText,
                                 int defaultPort = DefaultPort);

void warnNoAddress(Prompts &prompts);
void warnBadPort(Prompts &prompts);
void warnBadTimeout(Prompts &prompts);

} // namespace ConnectChecks
