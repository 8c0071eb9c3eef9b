#include "ftp/FtpDataAddress.h"

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Reads up to `maxDigits` decimal digits at `pos`; -1 when there are none or
// more than that.
qint64 readNumber(QByteArrayView text, qsizetype &pos, int maxDigits)
{
    const qsizetype start = pos;
    qint64 value = 0;
    while (pos < text.size() && isDigit(text[pos])) {
        if (pos - start >= maxDigits)
            return -1;
        value = value * 10 + (text[pos] - '0');
        ++pos;
    }
    return pos == start ? -1 : value;
}

// Six comma-separated numbers starting at `pos`.
std::optional<FtpDataAddress> sixNumbersAt(QByteArrayView text, qsizetype pos)
{
    int numbers[6];
    for (int i = 0; i < 6; ++i) {
        if (i > 0) {
            if (pos >= text.size() || text[pos] != ',')
                return std::nullopt;
            ++pos;
        }
        const qint64 value = readNumber(text, pos, 3);
        if (value < 0 || value > 255)
            return std::nullopt;
        numbers[i] = int(value);
    }
    // A seventh number would mean this was not the address.
    if (pos < text.size() && (text[pos] == ',' || isDigit(text[pos])))
        return std::nullopt;
    FtpDataAddress result;
    result.address = QHostAddress(quint32(numbers[0]) << 24 | quint32(numbers[1]) << 16 |
                                  quint32(numbers[2]) << 8 | quint32(numbers[3]));
    result.port = quint16(numbers[4] * 256 + numbers[5]);
    if (result.port == 0)
        return std::nullopt;
    return result;
}

} // namespace

std::optional<FtpDataAddress> FtpDataAddress::fromPasvReply(QByteArrayView text)
{
    // Skip the reply code, then try every run of digits in turn.
    for (qsizetype pos = 3; pos < text.size(); ++pos) {
        if (!isDigit(text[pos]) || isDigit(text[pos - 1]) || text[pos - 1] == ',')
            continue;
        if (auto address = sixNumbersAt(text, pos))
            return address;
    }
    return std::nullopt;
}

std::optional<FtpDataAddress> FtpDataAddress::fromEpsvReply(QByteArrayView text)
{
    const qsizetype open = text.indexOf('(');
    qsizetype pos = open >= 0 ? open + 1 : text.indexOf("|||");
    if (pos < 0 || pos + 4 > text.size())
        return std::nullopt;
    const char delimiter = text[pos];
    if (delimiter < 33 || delimiter > 126 || isDigit(delimiter))
        return std::nullopt;
    if (text[pos + 1] != delimiter || text[pos + 2] != delimiter)
        return std::nullopt;
    pos += 3;
    const qint64 port = readNumber(text, pos, 5);
    if (port < 1 || port > 65535 || pos >= text.size() || text[pos] != delimiter)
        return std::nullopt;
    FtpDataAddress result;
    result.port = quint16(port);
    return result;
}

QByteArray FtpDataAddress::portArgument(const QHostAddress &address, quint16 port)
{
    bool isIpv4 = false;
    const quint32 ip = address.toIPv4Address(&isIpv4);
    if (!isIpv4)
        return {};
    return QByteArray::number(ip >> 24) + ',' + QByteArray::number((ip >> 16) & 255) + ',' +
           QByteArray::number((ip >> 8) & 255) + ',' + QByteArray::number(ip & 255) + ',' +
           QByteArray::number(port >> 8) + ',' + QByteArray::number(port & 255);
}

QByteArray FtpDataAddress::eprtArgument(const QHostAddress &address, quint16 port)
{
    bool isIpv4 = false;
    const quint32 ip = address.toIPv4Address(&isIpv4);
    if (isIpv4)
        return "|1|" + QHostAddress(ip).toString().toLatin1() + '|' + QByteArray::number(port) +
               '|';
    QHostAddress plain(address);
    plain.setScopeId(QString());
    return "|2|" + plain.toString().toLatin1() + '|' + QByteArray::number(port) + '|';
}
