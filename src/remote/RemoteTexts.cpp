#include "remote/RemoteTexts.h"

#include <QStringList>

namespace {

using M = RemoteMessage;

// The words of each message; %1, %2 ... are its blanks in order.
QString pattern(RemoteMessage message)
{
    switch (message) {
    case M::Verbatim:
        return QStringLiteral("%1");
    case M::Connecting:
        return QStringLiteral("正在连接 %1 (%2 端口 %3) ...");
    case M::Connected:
        return QStringLiteral("已连接到 %1 端口 %2");
    case M::LoggedIn:
        return QStringLiteral("已登录到 %1");
    case M::ConnectionClosed:
        return QStringLiteral("与服务器的控制连接已断开");
    case M::HostNotFound:
        return QStringLiteral("找不到主机 %1");
    case M::InvalidHostOrPort:
        return QStringLiteral("主机名或端口无效（端口 %1）");
    case M::AccountRequired:
        return QStringLiteral("服务器要求提供账户（ACCT），但没有给出账户");
    case M::CannotConnect:
        return QStringLiteral("无法连接到服务器 %1：%2");
    case M::CannotOpenSocket:
        return QStringLiteral("无法创建网络连接");
    case M::HostAndPort:
        return QStringLiteral("%1 端口 %2");
    case M::ConnectTimedOut:
        return QStringLiteral("连接 %1 超时（%2 毫秒）");
    case M::ConnectStopped:
        return QStringLiteral("连接已被用户停止");
    case M::NotConnected:
        return QStringLiteral("尚未连接到服务器");
    case M::Busy:
        return QStringLiteral("上一个操作尚未完成，请稍后再试");
    case M::InternalError:
        return QStringLiteral("内部错误，连接已关闭：%1");
    case M::SessionDestroyed:
        return QStringLiteral("会话已被销毁");
    case M::ConnectionDropped:
        return QStringLiteral("连接已被断开");
    case M::Stopped:
        return QStringLiteral("操作已被用户停止");
    case M::ReplyTimedOut:
        return QStringLiteral("等待服务器响应超时（%1 毫秒）");
    case M::DataTimedOut:
        return QStringLiteral("等待数据连接超时（%1 毫秒）");
    case M::ServerClosed:
        return QStringLiteral("服务器关闭了连接");
    case M::NotAReply:
        return QStringLiteral("服务器发来的不是 FTP 回复，连接已关闭");
    case M::ReplyTooLong:
        return QStringLiteral("服务器的回复过长（单行超过 16 KiB 或超过 4096 行），连接已关闭");
    case M::WaitFailed:
        return QStringLiteral("等待网络时出错");
    case M::ControlBroken:
        return QStringLiteral("与服务器的连接已中断");
    case M::DataBroken:
        return QStringLiteral("数据连接意外中断");
    case M::WithReason:
        return QStringLiteral("%1：%2");

    case M::ConnectionRefused:
        return QStringLiteral("连接被拒绝");
    case M::NetworkUnreachable:
        return QStringLiteral("网络不可达");
    case M::ConnectionReset:
        return QStringLiteral("连接被对方重置");
    case M::PeerClosed:
        return QStringLiteral("连接已被对方关闭");
    case M::SocketTimedOut:
        return QStringLiteral("连接超时");
    case M::NetworkError:
        return QStringLiteral("网络错误（%1）");

    case M::NameHoldsLineBreak:
        return QStringLiteral("名称中含有回车、换行或空字符，未发送给服务器");
    case M::EmptyArgument:
        return QStringLiteral("%1为空");
    case M::WhatFolderName:
        return QStringLiteral("目录名");
    case M::WhatFileName:
        return QStringLiteral("文件名");
    case M::WhatName:
        return QStringLiteral("名称");
    case M::EmptyFileName:
        return QStringLiteral("文件名为空");
    case M::DotOperand:
        return QStringLiteral("\"%1\" 不是可以操作的名称（不能是 . 或 ..）");
    case M::InvalidPermissions:
        return QStringLiteral("权限无效：%1");
    case M::UnclosedDirectory:
        return QStringLiteral("无法识别服务器返回的当前目录（引号未闭合）");
    case M::UnreadableDirectory:
        return QStringLiteral("无法识别服务器返回的当前目录");
    case M::EmptyDirectory:
        return QStringLiteral("服务器返回的当前目录为空");
    case M::ControlInDirectory:
        return QStringLiteral("服务器返回的当前目录含有控制字符，已拒绝");
    case M::CannotReturnTo:
        return QStringLiteral("无法回到目录 %1");
    case M::NoCurrentDirectory:
        return QStringLiteral("服务器没有给出当前目录");

    case M::ListingRead:
        return QStringLiteral("目录列表读取完毕，共 %1 项");
    case M::ListingTooLong:
        return QStringLiteral("目录列表过长（超过 %1 项或 %2 MiB），已中止");
    case M::ListingStopped:
        return QStringLiteral("目录列表已被用户停止");
    case M::ListingCutShort:
        return QStringLiteral("目录列表可能不完整：加密的数据连接没有以 TLS 结束通知"
                              "（close_notify）结束，而是被直接断开");
    case M::LinesUnreadable:
        return QStringLiteral("目录列表中有 %1 行无法识别，其中的项目没有列出：%2%3");
    case M::QuotedLine:
        return QStringLiteral("“%1”");
    case M::LineSeparator:
        return QStringLiteral("；");
    case M::AndMore:
        return QStringLiteral(" 等");

    case M::FolderExists:
        return QStringLiteral("无法创建目录：该名称已存在 (exists)");
    case M::FolderRefused:
        return QStringLiteral("无法创建目录（服务器回复 %1）");
    case M::FolderFailed:
        return QStringLiteral("无法创建目录（错误 %1）");

    case M::EpsvFallback:
        return QStringLiteral("EPSV 给出的端口无法连接（%1），改用 PASV");
    case M::NoIpv6Passive:
        return QStringLiteral("服务器不支持 IPv6 的被动模式（EPSV）");
    case M::UnreadablePassive:
        return QStringLiteral("无法识别服务器的被动模式回复：%1");
    case M::PassiveAddressIgnored:
        return QStringLiteral("被动模式回复中的地址 %1 已忽略，改用控制连接的地址 %2");
    case M::NoIpv6Active:
        return QStringLiteral("服务器不支持 IPv6 的主动模式（EPRT）");
    case M::DataCertificateDiffers:
        return QStringLiteral("数据连接出示的证书与控制连接的不同（可能来自另一台主机），已拒绝");
    case M::CannotListen:
        return QStringLiteral("无法在 %1 上等待数据连接：%2");
    case M::CannotAccept:
        return QStringLiteral("无法接受数据连接：%1");
    case M::CannotOpenData:
        return QStringLiteral("无法建立数据连接（%1）：%2");
    case M::UnreadableTransferReply:
        return QStringLiteral("服务器对 %1 的回复无法识别：%2");
    case M::UnreadableEndReply:
        return QStringLiteral("服务器对传输结束的回复无法识别：%1");
    case M::DataTlsRefused:
        return QStringLiteral("服务器拒绝了加密的数据连接（%1）");
    case M::DataTlsNotResumed:
        return QStringLiteral("服务器拒绝了加密的数据连接：数据连接没有复用控制连接的 TLS "
                              "会话，而服务器要求复用（%1）");

    case M::TransferStopped:
        return QStringLiteral("传输已被用户停止：%1，已传输 %2 字节，部分文件已保留");
    case M::TransferStoppedShort:
        return QStringLiteral("传输已被用户停止");
    case M::InvalidOffset:
        return QStringLiteral("续传位置无效：%1");
    case M::LocalIsFolder:
        return QStringLiteral("%1 是文件夹，不能写入文件");
    case M::CannotResumeBecause:
        return QStringLiteral("无法续传 %1：%2；本地文件保留前 %3 字节，可从头下载");
    case M::LocalShorterThanOffset:
        return QStringLiteral("无法续传：本地文件 %1 短于续传位置 %2 字节");
    case M::OffsetBeyondRemote:
        return QStringLiteral("无法续传：续传位置 %1 超过远程文件 %2 的大小 %3 字节");
    case M::CannotTruncate:
        return QStringLiteral("无法截断本地文件 %1：%2");
    case M::AlreadyComplete:
        return QStringLiteral("%1 已是完整文件，无需下载");
    case M::RestartRefused:
        return QStringLiteral("服务器不接受续传（%1）");
    case M::CannotWriteLocal:
        return QStringLiteral("无法写入本地文件 %1：%2");
    case M::RestartIgnored:
        return QStringLiteral("服务器没有从续传位置发送数据（收到的数据超过剩余的 %1 字节）");
    case M::ReceivedTooMuch:
        return QStringLiteral("传输出错：%1 收到的数据超过服务器给出的大小 %2 字节");
    case M::TransferShort:
        return QStringLiteral("传输不完整：%1 收到 %2 字节，服务器给出的大小为 %3 字节");
    case M::TransferCutShort:
        return QStringLiteral("传输可能不完整：%1 的大小未知，而加密的数据连接没有以 TLS "
                              "结束通知（close_notify）结束，收到的 %2 字节不能算作完整文件");
    case M::Downloaded:
        return QStringLiteral("已下载 %1（%2 字节）");
    case M::CannotOpenLocal:
        return QStringLiteral("无法打开本地文件 %1：%2");
    case M::OffsetBeyondLocal:
        return QStringLiteral("无法续传：续传位置 %1 超过本地文件 %2 的大小 %3 字节");
    case M::NoRestNoAppend:
        return QStringLiteral("无法续传：服务器不支持 REST，且远程文件 %1 的大小不是 %2 字节");
    case M::CannotReadLocal:
        return QStringLiteral("无法读取本地文件 %1：%2");
    case M::Uploaded:
        return QStringLiteral("已上传 %1（%2 字节）");
    case M::SizeUncheckable:
        return QStringLiteral("无法核对续传后 %1 在服务器上的大小：服务器不回答 SIZE 和 "
                              "MLST，目录列表中也没有它的大小");
    case M::ServerFileShort:
        return QStringLiteral("服务器上的文件不完整：%1 应为 %2 字节，服务器报告的大小为 %3 字节");
    case M::ServerFileShortAfterResume:
        return QStringLiteral("服务器上的文件不完整：%1 应为 %2 字节，服务器报告的大小为 %3 "
                              "字节（服务器可能没有从续传位置 %4 接着写入）");
    case M::DownloadedBytes:
        return QStringLiteral("已下载 %1 字节");
    case M::UploadedBytes:
        return QStringLiteral("已上传 %1 字节");
    case M::FileVerified:
        return QStringLiteral("已校验：%1 与服务器上的文件一致（%2）");
    case M::HashMismatch:
        return QStringLiteral("校验失败：%1 与服务器上的文件不一致（%2 本地 %3，服务器 %4），"
                              "文件已保留");
    case M::CannotHashLocal:
        return QStringLiteral("无法读取本地文件 %1 以校验：%2");

    case M::TlsRefusedRequired:
        return QStringLiteral("服务器不支持 TLS 加密（%1），按设置不以明文连接");
    case M::TlsNotOffered:
        return QStringLiteral("服务器不支持 TLS 加密，以普通 FTP（不加密）继续");
    case M::CertificateRefused:
        return QStringLiteral("服务器的证书不受信任（%1），连接已取消");
    case M::CertificateTrusted:
        return QStringLiteral("服务器的证书未通过验证（%1），已按用户的选择信任；SHA-256 指纹 %2");
    case M::TlsEstablished:
        return QStringLiteral("已建立 TLS 加密连接：%1，%2");
    case M::DataTlsRefusedRequired:
        return QStringLiteral("服务器不接受加密的数据连接（%1），按设置不以明文传输");
    case M::DataTlsNotOffered:
        return QStringLiteral("服务器不接受加密的数据连接，文件和目录列表将以明文传输");
    case M::TlsExtraData:
        return QStringLiteral("服务器在开始 TLS 之前多发了数据，连接已关闭");
    case M::TlsHandshakeFailed:
        return QStringLiteral("TLS 握手失败");
    case M::DataTlsHandshakeFailed:
        return QStringLiteral("数据连接的 TLS 握手失败");
    case M::TlsHandshakeTimedOut:
        return QStringLiteral("TLS 握手超时（%1 毫秒）");
    case M::TlsProtocolError:
        return QStringLiteral("TLS 协议错误");
    case M::TlsUnknownError:
        return QStringLiteral("未知错误");
    case M::TlsCannotStart:
        return QStringLiteral("无法初始化 TLS");
    case M::TlsCannotConnect:
        return QStringLiteral("无法建立 TLS 连接");
    case M::TlsLibrary:
        return QStringLiteral("TLS 协议错误（%1）");
    case M::NoCertificate:
        return QStringLiteral("服务器没有出示证书");
    case M::SelfSigned:
        return QStringLiteral("自签名证书");
    case M::SelfSignedChain:
        return QStringLiteral("证书链的根证书是自签名的，系统不信任它");
    case M::UntrustedIssuer:
        return QStringLiteral("证书的签发者不受系统信任");
    case M::CertificateExpired:
        return QStringLiteral("证书已过期");
    case M::CertificateNotYetValid:
        return QStringLiteral("证书尚未生效");
    case M::CertificateWrongHost:
        return QStringLiteral("证书不属于所连接的主机");
    case M::CertificateUnverified:
        return QStringLiteral("证书无法验证（%1）");

    case M::CopyStopped:
        return QStringLiteral("复制已被用户停止");
    case M::Skipped:
        return QStringLiteral("已跳过 %1：%2");
    case M::ItemFailed:
        return QStringLiteral("%1 未能%2：%3");
    case M::WordDownload:
        return QStringLiteral("下载");
    case M::WordUpload:
        return QStringLiteral("上传");
    case M::CannotReturnUp:
        return QStringLiteral("无法回到上一级目录，复制已中止");
    case M::TreeIncomplete:
        return QStringLiteral("有 %1 个项目未能%2（见日志），其余已完成");
    case M::EmptyLocalFolder:
        return QStringLiteral("本地文件夹为空");
    case M::CannotMakeLocalFolder:
        return QStringLiteral("无法创建本地文件夹 %1");
    case M::DownloadingTo:
        return QStringLiteral("下载 %1 → %2");
    case M::UploadingTo:
        return QStringLiteral("上传 %1 → %2");
    case M::UnsafeLocalName:
        return QStringLiteral("名称不能用作本地文件名");
    case M::UnsendableName:
        return QStringLiteral("名称中含有回车或换行，无法发送给服务器");
    case M::LocalLinkInTheWay:
        return QStringLiteral("本地已有同名的符号链接，未写入");
    case M::SpecialFile:
        return QStringLiteral("特殊文件（设备、管道或套接字）");
    case M::SpecialOrBrokenLink:
        return QStringLiteral("特殊文件（设备、管道或套接字）或失效的链接");
    case M::TooDeep:
        return QStringLiteral("目录层次过深");
    case M::FolderCopiedAlready:
        return QStringLiteral("这个目录已经复制过（链接循环）");
    case M::FolderUploadedAlready:
        return QStringLiteral("这个文件夹已经上传过（链接循环）");
    case M::LinkNotFollowed:
        return QStringLiteral("这是指向文件夹的链接，没有跟随：进入后服务器报告的是链接本身的"
                              "路径，无法判断它是否通向已复制的文件夹（循环）");
    case M::LinkOutOfFolder:
        return QStringLiteral("链接指向所选文件夹之外（%1），未上传");
    case M::RemoteLinkOutOfFolder:
        return QStringLiteral("链接指向所复制的文件夹之外（%1），没有跟随");
    case M::NoLocalFolder:
        return QStringLiteral("本地文件夹 %1 不存在");
    case M::CannotEnter:
        return QStringLiteral("无法进入目录 %1");
    case M::WordChangePermissions:
        return QStringLiteral("更改权限");
    case M::LinkLeftAsIs:
        return QStringLiteral("这是链接，权限不变：更改它就是更改它所指向的内容");
    case M::FolderChangedAlready:
        return QStringLiteral("这个文件夹已经更改过（链接循环）");
    case M::WordDelete:
        return QStringLiteral("删除");
    case M::FolderDeletedAlready:
        return QStringLiteral("这个文件夹已经删除过（链接循环）");
    case M::HiddenKept:
        return QStringLiteral("隐藏的文件或文件夹，窗格没有显示，未删除");
    case M::EnteredElsewhere:
        return QStringLiteral("无法删除 %1: 服务器进入的是 %2，其中的内容不会删除");

    case M::SshServer:
        return QStringLiteral("SSH 服务器：%1");
    case M::SshEncryption:
        return QStringLiteral("SSH 密钥交换与加密：%1");
    case M::HostKeyAccepted:
        return QStringLiteral("主机密钥 %1（%2）");
    case M::HostKeyKnown:
        return QStringLiteral("已在 known_hosts 中");
    case M::HostKeyTrusted:
        return QStringLiteral("已受信任");
    case M::HostKeyNew:
        return QStringLiteral("新主机，已由用户接受");
    case M::HostKeyReplaced:
        return QStringLiteral("已更改，已由用户接受");
    case M::HostKeyRefused:
        return QStringLiteral("未接受服务器 %1 的主机密钥（%2），连接已关闭");
    case M::LoginTrying:
        return QStringLiteral("正在尝试登录方式：%1");
    case M::LoginTryingKey:
        return QStringLiteral("正在尝试登录方式：%1（%2）");
    case M::LoginMethodRefused:
        return QStringLiteral("服务器未接受登录方式：%1");
    case M::LoggedInWith:
        return QStringLiteral("已登录到 %1（%2）");
    case M::SshLoginRefused:
        return QStringLiteral("登录失败：服务器不接受所用的登录方式（已尝试：%1）");
    case M::Nothing:
        return QStringLiteral("无");
    case M::SftpStarted:
        return QStringLiteral("SFTP 版本 %1，服务器扩展：%2");
    case M::SshConnectionClosed:
        return QStringLiteral("与服务器的连接已断开");
    case M::InBrackets:
        return QStringLiteral("（%1）");
    case M::ServerStatus:
        return QStringLiteral("（服务器回复 %1：%2）");
    case M::SshProtocolError:
        return QStringLiteral("服务器的回复不符合 SSH/SFTP 协议，连接已关闭%1");
    case M::PathNotFound:
        return QStringLiteral("%1 不存在%2");
    case M::PathNoPermission:
        return QStringLiteral("没有权限访问 %1%2");
    case M::PathExists:
        return QStringLiteral("%1 已存在");
    case M::NotAFolder:
        return QStringLiteral("%1 不是文件夹");
    case M::PathRefused:
        return QStringLiteral("服务器拒绝了对 %1 的操作%2");
    case M::PathUnsupported:
        return QStringLiteral("服务器不支持对 %1 的此项操作");
    case M::LocalReadWrite:
        return QStringLiteral("无法读写本地文件 %1%2");
    case M::BadArgument:
        return QStringLiteral("参数无效：\"%1\"%2");
    case M::CannotResumePath:
        return QStringLiteral("无法续传 %1%2，可从头传输");
    case M::TransferIncomplete:
        return QStringLiteral("传输不完整：%1%2");
    case M::FolderTooLong:
        return QStringLiteral("目录 %1 的条目过多，无法列出");
    case M::UnusableRemoteName:
        return QStringLiteral("服务器给出的名称无法使用");
    case M::FolderMade:
        return QStringLiteral("已创建目录 %1");
    case M::FolderNotMade:
        return QStringLiteral("无法创建目录：%1");

    case M::NotALocalName:
        return QStringLiteral("\"%1\" 不能用作本地文件名，请给出本地文件名");
    case M::CannotWriteOutput:
        return QStringLiteral("无法写入标准输出：%1");
    case M::UnknownRemoteSize:
        return QStringLiteral("无法续传：服务器没有给出远程文件 %1 的大小");
    }
    return QString();
}

// The reasons for a failed TLS connection a client meets in practice, said
// in Chinese; the rest keep only the library's words.
QString tlsReason(const QString &libraryWords)
{
    struct Known
    {
        const char *reason;
        const char *text;
    };
    static const Known known[] = {
        {"wrong version number", "对方说的不是 TLS，或是不受支持的 TLS 版本"},
        {"packet length too long", "对方发来的不是 TLS 数据"},
        {"record layer failure", "对方发来的不是 TLS 数据"},
        {"unsupported protocol", "双方没有都支持的 TLS 版本"},
        {"tlsv1 alert protocol version", "服务器不接受所用的 TLS 版本"},
        {"sslv3 alert handshake failure", "服务器拒绝了握手，多半是没有双方都支持的加密算法"},
        {"unexpected eof while reading", "连接被对方意外关闭"},
        {"tlsv1 alert internal error", "服务器内部出错"},
        {"decryption failed or bad record mac", "收到的数据校验失败，已损坏或被篡改"},
        {"tlsv1 unrecognized name", "服务器不认得所连接的主机名"},
        {"dh key too small", "服务器的密钥太短，不够安全"},
        {"ee key too small", "服务器证书的密钥太短，不够安全"},
        {"ca md too weak", "服务器证书的签名算法太弱，不够安全"},
        {"sslv3 alert bad certificate", "服务器拒绝了证书"},
        {"tlsv13 alert certificate required", "服务器要求客户端证书"},
    };
    for (const Known &entry : known)
        if (libraryWords == QLatin1String(entry.reason))
            return QStringLiteral("%1（%2）").arg(QString::fromUtf8(entry.text), libraryWords);
    return pattern(M::TlsLibrary).arg(libraryWords);
}

// Puts the blanks into `words` in one pass, so that a blank holding "%1"
// stays as it is.
QString fill(const QString &words, const QStringList &blanks)
{
    QString out;
    out.reserve(words.size() + 32);
    for (qsizetype i = 0; i < words.size(); ++i) {
        const QChar c = words.at(i);
        if (c == QLatin1Char('%') && i + 1 < words.size() && words.at(i + 1).isDigit()) {
            const int index = words.at(i + 1).digitValue() - 1;
            if (index >= 0 && index < blanks.size()) {
                out += blanks.at(index);
                ++i;
                continue;
            }
        }
        out += c;
    }
    return out;
}

} // namespace

namespace RemoteTexts {

QString words(const RemoteText &text)
{
    if (text.message == M::Verbatim)
        return text.verbatim;
    QStringList blanks;
    blanks.reserve(qsizetype(text.blanks.size()));
    for (const RemoteText &blank : text.blanks)
        blanks.append(words(blank));
    if (text.message == M::TlsLibrary)
        return tlsReason(blanks.value(0));
    if (text.message == M::QuotedLine) {
        // Each blank one line, quoted, the quotes joined by the separator.
        QStringList quoted;
        for (const QString &line : std::as_const(blanks))
            quoted.append(fill(pattern(M::QuotedLine), {line}));
        return quoted.join(pattern(M::LineSeparator));
    }
    return fill(pattern(text.message), blanks);
}

QString description(const RemoteError &error)
{
    return words(error.said());
}

QString logLine(const RemoteActivity &activity)
{
    const QString lineEnd = QStringLiteral("\r\n");
    switch (activity.kind) {
    case RemoteActivityKind::ServerReply:
    case RemoteActivityKind::CommandSent:
        return activity.reply + lineEnd;
    case RemoteActivityKind::MakeDirectoryResult:
        // An SSH server says nothing when it made the folder: the program does.
        if (activity.folder == RemoteFolderOutcome::Made && !activity.reply.isEmpty())
            return activity.reply + lineEnd;
        break;
    default:
        break;
    }
    return words(activity.text) + lineEnd;
}

QString problem(const RemoteCertificate &certificate)
{
    return words(problemText(certificate));
}

} // namespace RemoteTexts
