#include "platform/SettingsStore.h"

#include <QSettings>

namespace {
const QString section = QStringLiteral("Settings/");
}

SettingsStore::SettingsStore()
    : settings(std::make_unique<QSettings>(QStringLiteral("Korvu"), QStringLiteral("Korvu")))
{
}

SettingsStore::SettingsStore(const QString &iniFile)
    : settings(std::make_unique<QSettings>(iniFile, QSettings::IniFormat))
{
}

SettingsStore::~SettingsStore() = default;

QString SettingsStore::value(const QString &key, const QString &defaultValue) const
{
    return settings->value(section + key, defaultValue).toString();
}

void SettingsStore::setValue(const QString &key, const QString &value)
{
    settings->setValue(section + key, value);
}

void SettingsStore::sync()
{
    settings->sync();
}
