#include "remote/RemoteUrl.h"

#include <QStringDecoder>

namespace {

// Why a text is no URL; thrown by the parts, caught by RemoteUrl::parse.
struct BadUrl
{
    QString reason;
};

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// "%XX" sequences to bytes, read as UTF-8. `what` names the part for the
// message when the text cannot be decoded.
QString percentDecoded(const QString &text, const QString &what)
{
    const QByteArray encoded = text.toUtf8();
    QByteArray bytes;
    bytes.reserve(encoded.size());
    for (qsizetype i = 0; i < encoded.size(); ++i) {
        if (encoded[i] != '%') {
            bytes += encoded[i];
            continue;
        }
        const int high = i + 2 < encoded.size() ? hexValue(encoded[i + 1]) : -1;
        const int low = high < 0 ? -1 : hexValue(encoded[i + 2]);
        if (low < 0)
            throw BadUrl{QStringLiteral("bad percent escape in the %1 of the URL").arg(what)};
        bytes += char(high * 16 + low);
        i += 2;
    }
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString decoded = utf8.decode(bytes);
    if (utf8.hasError())
        throw BadUrl{QStringLiteral("the %1 of the URL is not UTF-8").arg(what)};
    return decoded;
}

int parsePort(const QString &text, int defaultPort)
{
    if (text.isEmpty())
        return defaultPort;
    bool ok = false;
    const int port = text.toInt(&ok);
    for (QChar c : text)
        ok = ok && c.isDigit();
    if (!ok || port < 1 || port > 65535)
        throw BadUrl{QStringLiteral("bad port in the URL: %1").arg(text)};
    return port;
}

// "host", "host:port", "[v6]", "[v6]:port".
void parseHostAndPort(const QString &text, RemoteUrl &url)
{
    QString portText;
    if (text.startsWith(QLatin1Char('['))) {
        const qsizetype close = text.indexOf(QLatin1Char(']'));
        if (close < 0)
            throw BadUrl{QStringLiteral("unclosed \"[\" in the host of the URL")};
        url.host = text.mid(1, close - 1);
        const QString after = text.mid(close + 1);
        if (!after.isEmpty() && !after.startsWith(QLatin1Char(':')))
            throw BadUrl{QStringLiteral("unexpected text after \"]\" in the URL")};
        portText = after.mid(1);
    } else {
        const qsizetype colon = text.indexOf(QLatin1Char(':'));
        if (colon >= 0 && text.indexOf(QLatin1Char(':'), colon + 1) >= 0)
            throw BadUrl{
                QStringLiteral("an IPv6 address in a URL goes in brackets: [%1]").arg(text)};
        url.host = colon < 0 ? text : text.left(colon);
        portText = colon < 0 ? QString() : text.mid(colon + 1);
    }
    url.host = percentDecoded(url.host, QStringLiteral("host"));
    if (url.host.isEmpty())
        throw BadUrl{QStringLiteral("the URL names no host")};
    url.port = parsePort(portText, url.protocol == RemoteProtocol::Sftp ? RemoteUrl::DefaultSshPort
                                   : url.implicitTls ? RemoteUrl::DefaultImplicitTlsPort
                                                     : RemoteUrl::DefaultPort);
}

// The scheme, and the text after its "//".
QString takeScheme(const QString &text, RemoteUrl &url)
{
    static const QLatin1String plain("ftp://");
    static const QLatin1String implicit("ftps://");
    static const QLatin1String ssh("sftp://");
    if (text.startsWith(plain, Qt::CaseInsensitive))
        return text.mid(plain.size());
    if (text.startsWith(implicit, Qt::CaseInsensitive)) {
        url.implicitTls = true;
        return text.mid(implicit.size());
    }
    if (text.startsWith(ssh, Qt::CaseInsensitive)) {
        url.protocol = RemoteProtocol::Sftp;
        url.user.clear();
        url.password.clear();
        return text.mid(ssh.size());
    }
    throw BadUrl{QStringLiteral("not an ftp://, ftps:// or sftp:// URL: %1").arg(text)};
}

// "~" and "~/docs": the home folder, where an SFTP session starts.
QString withoutHome(const QString &path)
{
    if (path == QLatin1String("~"))
        return {};
    return path.startsWith(QLatin1String("~/")) ? path.mid(2) : path;
}

RemoteUrl parseUrl(const QString &text)
{
    RemoteUrl url;
    const QString rest = takeScheme(text, url);
    const qsizetype slash = rest.indexOf(QLatin1Char('/'));
    const QString authority = slash < 0 ? rest : rest.left(slash);

    // The last "@" ends the user part: a password may hold an unescaped "@".
    const qsizetype at = authority.lastIndexOf(QLatin1Char('@'));
    if (at >= 0) {
        const QString userInfo = authority.left(at);
        const qsizetype colon = userInfo.indexOf(QLatin1Char(':'));
        const QString user =
            percentDecoded(colon < 0 ? userInfo : userInfo.left(colon), QStringLiteral("user"));
        if (!user.isEmpty()) {
            url.user = user;
            url.password.clear();
        }
        if (colon >= 0)
            url.password = percentDecoded(userInfo.mid(colon + 1), QStringLiteral("password"));
    }
    parseHostAndPort(authority.mid(at + 1), url);
    if (slash >= 0)
        url.startDirectory = percentDecoded(rest.mid(slash + 1), QStringLiteral("path"));
    if (url.protocol == RemoteProtocol::Sftp)
        url.startDirectory = withoutHome(url.startDirectory);
    return url;
}

} // namespace

std::optional<RemoteUrl> RemoteUrl::parse(const QString &text, QString *error)
{
    try {
        return parseUrl(text);
    } catch (const BadUrl &bad) {
        if (error)
            *error = bad.reason;
        return std::nullopt;
    }
}
