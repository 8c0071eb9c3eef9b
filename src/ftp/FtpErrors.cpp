#include "ftp/FtpErrors.h"

namespace {

RemoteErrorKind kindOf(int number)
{
    switch (number) {
    case RemoteErrorCode::StoppedByUser:
        return RemoteErrorKind::Stopped;
    case RemoteErrorCode::TimedOut:
        return RemoteErrorKind::TimedOut;
    case RemoteErrorCode::ConnectionLost:
        return RemoteErrorKind::LostConnection;
    case RemoteErrorCode::NotConnected:
        return RemoteErrorKind::NotConnected;
    case RemoteErrorCode::Busy:
        return RemoteErrorKind::Busy;
    case RemoteErrorCode::InvalidName:
    case RemoteErrorCode::InvalidArgument:
        return RemoteErrorKind::InvalidArgument;
    case RemoteErrorCode::LocalFileError:
        return RemoteErrorKind::LocalFile;
    case RemoteErrorCode::CannotConnect:
    case RemoteErrorCode::HostNotFound:
    case RemoteErrorCode::DataConnectionFailed:
        return RemoteErrorKind::CannotConnect;
    case RemoteErrorCode::TransferIncomplete:
        return RemoteErrorKind::TransferIncomplete;
    case RemoteErrorCode::ConnectionDropped:
        return RemoteErrorKind::Dropped;
    case RemoteErrorCode::CannotResume:
        return RemoteErrorKind::CannotResume;
    case RemoteErrorCode::TreeCopyIncomplete:
        return RemoteErrorKind::TreeIncomplete;
    case RemoteErrorCode::AccountRequired:
        return RemoteErrorKind::LoginRefused;
    case RemoteErrorCode::TlsHandshakeFailed:
    case RemoteErrorCode::CertificateRefused:
    case RemoteErrorCode::TlsRefused:
    case RemoteErrorCode::DataTlsFailed:
        return RemoteErrorKind::Security;
    default:
        // An unreadable or oversized reply, directory or listing.
        return RemoteErrorKind::ProtocolError;
    }
}

} // namespace

namespace FtpErrors {

RemoteError own(int number, RemoteText text)
{
    return RemoteError::own(kindOf(number), number, std::move(text));
}

RemoteError refusal(int code, const QString &serverText)
{
    return RemoteError::refusal(
        code == 421 ? RemoteErrorKind::LostConnection : RemoteErrorKind::Refused, code, serverText);
}

} // namespace FtpErrors
