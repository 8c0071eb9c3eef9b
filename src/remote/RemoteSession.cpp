#include "remote/RemoteSession.h"

#include "remote/RemoteCodes.h"

namespace {

constexpr int DefaultTimeoutMs = 30000;

int uploadModeOf(int mode)
{
    return mode == RemoteUploadMode::Resume ? RemoteUploadMode::Resume
                                            : RemoteUploadMode::Overwrite;
}

int timeoutOf(int ms)
{
    return ms > 0 ? ms : DefaultTimeoutMs;
}

int transferSettingOf(int value)
{
    return value == RemoteTransferSetting::Ascii ? RemoteTransferSetting::Ascii
                                                 : RemoteTransferSetting::Binary;
}

int nameEncodingOf(int encoding)
{
    return encoding == RemoteNameEncoding::Utf8 || encoding == RemoteNameEncoding::Gbk
               ? encoding
               : RemoteNameEncoding::Auto;
}

int encryptionOf(int encryption)
{
    return encryption == RemoteEncryption::ExplicitIfOffered ||
                   encryption == RemoteEncryption::ExplicitRequired ||
                   encryption == RemoteEncryption::Implicit
               ? encryption
               : RemoteEncryption::Plain;
}

} // namespace

RemoteSession::RemoteSession(QObject *parent) : QObject(parent) {}

RemoteSession::~RemoteSession() = default;

void RemoteSession::setUploadMode(int mode)
{
    m_settings.uploadMode = uploadModeOf(mode);
}

void RemoteSession::setTimeoutMs(int ms)
{
    m_settings.timeoutMs = timeoutOf(ms);
}

void RemoteSession::setTransferSetting(int value)
{
    m_settings.transferSetting = transferSettingOf(value);
}

void RemoteSession::setNameEncoding(int encoding)
{
    m_settings.nameEncoding = nameEncodingOf(encoding);
}

void RemoteSession::setEncryption(int encryption)
{
    m_settings.encryption = encryptionOf(encryption);
}

void RemoteSession::setSettings(const RemoteSettings &settings)
{
    m_settings = settings;
    setUploadMode(settings.uploadMode);
    setTimeoutMs(settings.timeoutMs);
    setTransferSetting(settings.transferSetting);
    setNameEncoding(settings.nameEncoding);
    setEncryption(settings.encryption);
}

void RemoteSession::DownloadFile(const QString &remote, const QString &local)
{
    qint64 offset = 0;
    DownloadFile(remote, local, offset);
}
