#include "connection/ConnectChecks.h"

#include "platform/Prompts.h"
#include "remote/RemoteCodes.h"

namespace ConnectChecks {

namespace {

const QString Title = QStringLiteral("Korvu");

// Plain decimal digits with optional blanks around them. Anything else
// ("21abc", "-5", "1e3") is refused rather than read as its leading number,
// so a typing slip never connects to a port the user did not mean.
std::optional<int> wholeNumber(const QString &text, int low, int high)
{
    const QString digits = text.trimmed();
    if (digits.isEmpty() || digits.size() > 9)
        return std::nullopt;
    for (const QChar c : digits) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
    }
    const int value = digits.toInt();
    if (value < low || value > high)
        return std::nullopt;
    return value;
}

} // namespace

QString hostFrom(const QString &text)
{
    return text.trimmed();
}

int defaultPortFor(int encryption)
{
    return encryption == RemoteEncryption::Implicit ? ImplicitTlsPort : DefaultPort;
}

std::optional<int> portFrom(const QString &text, int defaultPort)
{
    if (text.isEmpty())
        return defaultPort;
    return wholeNumber(text, 1, 65535);
}

std::optional<int> timeoutFrom(const QString &text)
{
    return wholeNumber(text, 1, 9999);
}

void warnNoAddress(Prompts &prompts)
{
    prompts.messageBox(QStringLiteral("请输入要登录的 FTP 地址!"), Prompts::Buttons::Ok,
                       Prompts::Icon::Information, Title);
}

void warnBadPort(Prompts &prompts)
{
    prompts.messageBox(QStringLiteral("无效的端口号.\r\n\r\n请输入一个介于1 到 65535 之间的整数"),
                       Prompts::Buttons::Ok, Prompts::Icon::Warning, Title);
}

void warnBadTimeout(Prompts &prompts)
{
    prompts.messageBox(QStringLiteral("无效的超时数值.\r\n\r\n请输入一个介于0 到 9999 之间的整数"),
                       Prompts::Buttons::Ok, Prompts::Icon::Warning, Title);
}

std::optional<Server> serverFrom(Prompts &prompts, const QString &hostText, const QString &portText,
                                 int defaultPort)
{
    const QString host = hostFrom(hostText);
    if (host.isEmpty()) {
        warnNoAddress(prompts);
        return std::nullopt;
    }
    const std::optional<int> port = portFrom(portText, defaultPort);
    if (!port) {
        warnBadPort(prompts);
        return std::nullopt;
    }
    return Server{host, *port};
}

} // namespace ConnectChecks
