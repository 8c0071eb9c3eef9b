#pragma once

#include <QString>
#include <QStringList>

class QComboBox;

// The "协议" choice of the site manager and of quick connect: its entries
// stand at the values of RemoteProtocol, and are the texts the site file
// keeps in "协议".
namespace ProtocolChoice {

QStringList texts();
// A box holding them, set to FTP, with the accessible name "协议".
QComboBox *newBox(const char *objectName);
// The port an empty port box means: SSH's for SFTP, else FTP's for the
// encryption (RemoteEncryption).
int defaultPort(int protocol, int encryption);
// What the port box should hold after the user switched to `protocol`:
// SFTP's port where FTP's stood, and back; the text as it was otherwise.
QString portAfterSwitch(int protocol, const QString &portText);

} // namespace ProtocolChoice
