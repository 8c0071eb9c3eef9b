#pragma once

#include <QString>

// What every failing FtpSession operation throws, by value.
//
// A refusal by the server carries the server's reply code (550, 530, 425 ...)
// as the number and the server's reply text, as received without its final
// line end, as the description. The component's own conditions (time-out,
// connection lost, stopped by the user ...) use the fixed numbers of
// FtpCodes.h with a Chinese description.
struct FtpError
{
    int number = 0;
    QString description;
};
