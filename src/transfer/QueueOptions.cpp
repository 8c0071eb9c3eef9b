#include "transfer/QueueOptions.h"

#include "platform/SettingsStore.h"

#include <algorithm>

namespace {
const QString BackgroundKey = QStringLiteral("后台传输");
const QString ParallelKey = QStringLiteral("同时传输数");
const QString DownloadLimitKey = QStringLiteral("下载限速");
const QString UploadLimitKey = QStringLiteral("上传限速");

// A limit that is no number, or negative, is none.
int limitOf(const QString &stored)
{
    bool numeric = false;
    const int limit = stored.trimmed().toInt(&numeric);
    return numeric ? std::clamp(limit, 0, QueueOptions::MaxLimit) : 0;
}
} // namespace

QueueOptions QueueOptions::read(const SettingsStore &settings)
{
    QueueOptions options;
    options.background = settings.value(BackgroundKey).trimmed() == QLatin1String("1");
    bool numeric = false;
    const int parallel = settings.value(ParallelKey).trimmed().toInt(&numeric);
    if (numeric)
        options.parallel = std::clamp(parallel, 1, 10);
    options.downloadLimit = limitOf(settings.value(DownloadLimitKey));
    options.uploadLimit = limitOf(settings.value(UploadLimitKey));
    return options;
}

void QueueOptions::write(SettingsStore &settings) const
{
    settings.setValue(BackgroundKey, background ? QStringLiteral("1") : QStringLiteral("0"));
    settings.setValue(ParallelKey, QString::number(std::clamp(parallel, 1, 10)));
    settings.setValue(DownloadLimitKey, QString::number(std::clamp(downloadLimit, 0, MaxLimit)));
    settings.setValue(UploadLimitKey, QString::number(std::clamp(uploadLimit, 0, MaxLimit)));
}
