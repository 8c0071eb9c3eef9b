#include "sftp/SftpTexts.h"

#include "sftp/SftpHostKey.h"

namespace {

// " (server: code message)" when the server said something.
QString serverPart(const SftpError &error)
{
    if (error.status < 0)
        return error.detail.isEmpty() ? QString() : QStringLiteral("（%1）").arg(error.detail);
    return QStringLiteral("（服务器回复 %1：%2）").arg(error.status).arg(error.serverMessage);
}

QString hostKeyState(qint64 state)
{
    switch (SftpHostKeyState(state)) {
    case SftpHostKeyState::Known:
        return QStringLiteral("已在 known_hosts 中");
    case SftpHostKeyState::Trusted:
        return QStringLiteral("已受信任");
    case SftpHostKeyState::Unknown:
        return QStringLiteral("新主机，已由用户接受");
    case SftpHostKeyState::Changed:
        return QStringLiteral("已更改，已由用户接受");
    }
    return {};
}

} // namespace

QString SftpTexts::error(const SftpError &error)
{
    const QString &subject = error.subject;
    switch (error.kind) {
    case SftpErrorKind::Stopped:
        return QStringLiteral("操作已被用户停止");
    case SftpErrorKind::TimedOut:
        return QStringLiteral("等待服务器响应超时，连接已关闭");
    case SftpErrorKind::ConnectionLost:
        return QStringLiteral("与服务器的连接已中断%1").arg(serverPart(error));
    case SftpErrorKind::Dropped:
        return QStringLiteral("连接已被断开");
    case SftpErrorKind::NotConnected:
        return QStringLiteral("尚未连接到服务器");
    case SftpErrorKind::HostNotFound:
        return QStringLiteral("找不到主机 %1").arg(subject);
    case SftpErrorKind::CannotConnect:
        return QStringLiteral("无法连接到服务器 %1%2").arg(subject, serverPart(error));
    case SftpErrorKind::HostKeyRefused:
        return QStringLiteral("未接受服务器 %1 的主机密钥（%2），连接已关闭")
            .arg(subject, error.detail);
    case SftpErrorKind::AuthenticationFailed:
        return QStringLiteral("登录失败：服务器不接受所用的登录方式（已尝试：%1）")
            .arg(subject.isEmpty() ? QStringLiteral("无") : subject);
    case SftpErrorKind::ProtocolError:
        return QStringLiteral("服务器的回复不符合 SSH/SFTP 协议，连接已关闭%1")
            .arg(serverPart(error));
    case SftpErrorKind::NotFound:
        return QStringLiteral("%1 不存在%2").arg(subject, serverPart(error));
    case SftpErrorKind::PermissionDenied:
        return QStringLiteral("没有权限访问 %1%2").arg(subject, serverPart(error));
    case SftpErrorKind::AlreadyExists:
        return QStringLiteral("%1 已存在").arg(subject);
    case SftpErrorKind::NotAFolder:
        return QStringLiteral("%1 不是文件夹").arg(subject);
    case SftpErrorKind::Refused:
        return QStringLiteral("服务器拒绝了对 %1 的操作%2").arg(subject, serverPart(error));
    case SftpErrorKind::Unsupported:
        return QStringLiteral("服务器不支持对 %1 的此项操作").arg(subject);
    case SftpErrorKind::LocalFileError:
        return QStringLiteral("无法读写本地文件 %1%2").arg(subject, serverPart(error));
    case SftpErrorKind::InvalidArgument:
        return QStringLiteral("参数无效：\"%1\"%2").arg(subject, serverPart(error));
    case SftpErrorKind::CannotResume:
        return QStringLiteral("无法续传 %1%2，可从头传输").arg(subject, serverPart(error));
    case SftpErrorKind::TransferIncomplete:
        return QStringLiteral("传输不完整：%1%2").arg(subject, serverPart(error));
    case SftpErrorKind::ListingTooLong:
        return QStringLiteral("目录 %1 的条目过多，无法列出").arg(subject);
    }
    return {};
}

QString SftpTexts::event(const SftpEvent &event)
{
    switch (event.kind) {
    case SftpActivity::Connecting:
        return QStringLiteral("正在连接 %1 (%2) ...").arg(event.subject, event.detail);
    case SftpActivity::Connected:
        return QStringLiteral("已连接到 %1").arg(event.detail);
    case SftpActivity::ServerBanner:
        return QStringLiteral("SSH 服务器：%1").arg(event.detail);
    case SftpActivity::Encryption:
        return QStringLiteral("SSH 密钥交换与加密：%1").arg(event.detail);
    case SftpActivity::HostKeyAccepted:
        return QStringLiteral("主机密钥 %1（%2）").arg(event.detail, hostKeyState(event.count));
    case SftpActivity::AuthenticationTry:
        return event.subject.isEmpty()
                   ? QStringLiteral("正在尝试登录方式：%1").arg(event.detail)
                   : QStringLiteral("正在尝试登录方式：%1（%2）").arg(event.detail, event.subject);
    case SftpActivity::AuthenticationRefused:
        return QStringLiteral("服务器未接受登录方式：%1").arg(event.detail);
    case SftpActivity::LoggedIn:
        return QStringLiteral("已登录到 %1（%2）").arg(event.subject, event.detail);
    case SftpActivity::SftpStarted:
        return QStringLiteral("SFTP 版本 %1，服务器扩展：%2").arg(event.count).arg(event.detail);
    case SftpActivity::EntrySkipped:
        return QStringLiteral("已跳过无法使用的名称：%1").arg(event.subject);
    case SftpActivity::ListingRead:
        return QStringLiteral("目录列表读取完毕，共 %1 项").arg(event.count);
    case SftpActivity::FileTransferred:
        return QStringLiteral("已传输 %1（%2 字节）").arg(event.subject).arg(event.count);
    case SftpActivity::TransferStopped:
        return QStringLiteral("传输已被用户停止：%1，已传输 %2 字节，部分文件已保留")
            .arg(event.subject)
            .arg(event.count);
    case SftpActivity::DownloadProgress:
        return QStringLiteral("已下载 %1 字节").arg(event.count);
    case SftpActivity::UploadProgress:
        return QStringLiteral("已上传 %1 字节").arg(event.count);
    case SftpActivity::ConnectionClosed:
        return QStringLiteral("与服务器的连接已断开");
    }
    return {};
}
