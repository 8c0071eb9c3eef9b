#pragma once

#include <QStringList>

class QComboBox;

// The "加密" choice of the site manager and of quick connect: its entries
// stand at the indexes of RemoteEncryption.
namespace EncryptionChoice {

QStringList texts();
// A box holding them, set to TLS when the server offers it: what a new
// connection starts with.
QComboBox *newBox(const char *objectName);

} // namespace EncryptionChoice
