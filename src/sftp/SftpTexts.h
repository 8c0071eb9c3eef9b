#pragma once

#include "sftp/SftpError.h"
#include "sftp/SftpEventSink.h"

#include <QString>

// Chinese texts for the engine's errors and events, for the session log
// and the tests. The engine itself never makes a text: it hands over kinds
// and details, and whoever shows them says it in the user's words.
namespace SftpTexts {

QString error(const SftpError &error);
QString event(const SftpEvent &event);

} // namespace SftpTexts
