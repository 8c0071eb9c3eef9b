#include "transfer/QueueOptions.h"

#include "platform/SettingsStore.h"

#include <algorithm>

namespace {
const QString BackgroundKey = QStringLiteral("后台传输");
const QString ParallelKey = QStringLiteral("同时传输数");
} // namespace

QueueOptions QueueOptions::read(const SettingsStore &settings)
{
    QueueOptions options;
    options.background = settings.value(BackgroundKey).trimmed() == QLatin1String("1");
    bool numeric = false;
    const int parallel = settings.value(ParallelKey).trimmed().toInt(&numeric);
    if (numeric)
        options.parallel = std::clamp(parallel, 1, 10);
    return options;
}

void QueueOptions::write(SettingsStore &settings) const
{
    settings.setValue(BackgroundKey, background ? QStringLiteral("1") : QStringLiteral("0"));
    settings.setValue(ParallelKey, QString::number(std::clamp(parallel, 1, 10)));
}
