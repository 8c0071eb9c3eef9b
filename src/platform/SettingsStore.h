#pragma once

#include <QString>
#include <memory>

class QSettings;

// The per-user settings store: text values under the section "Settings" of
// the application "Korvu". Tests point it at a file of their own.
class SettingsStore
{
public:
    SettingsStore();                                // the user's store
    explicit SettingsStore(const QString &iniFile); // a store in one file
    ~SettingsStore();

    QString value(const QString &key, const QString &defaultValue = QString()) const;
    void setValue(const QString &key, const QString &value);
    void sync();

private:
    std::unique_ptr<QSettings> settings;
};
