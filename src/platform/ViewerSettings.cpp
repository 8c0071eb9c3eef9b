#include "platform/ViewerSettings.h"

#include "platform/SettingsStore.h"

const QString ViewerSettings::UseNotepadKey = QStringLiteral("使用记事本");
const QString ViewerSettings::ProgramKey = QStringLiteral("指定程序");

ViewerSettings ViewerSettings::read(const SettingsStore &settings)
{
    ViewerSettings viewer;
    viewer.useNotepad = parseFlag(settings.value(UseNotepadKey, QStringLiteral("1")));
    viewer.program = settings.value(ProgramKey, QString());
    return viewer;
}

void ViewerSettings::write(SettingsStore &settings) const
{
    settings.setValue(UseNotepadKey, useNotepad ? QStringLiteral("1") : QStringLiteral("0"));
    settings.setValue(ProgramKey, program);
    settings.sync();
}

bool ViewerSettings::parseFlag(const QString &text)
{
    const QString value = text.trimmed();
    bool numeric = false;
    const qlonglong number = value.toLongLong(&numeric);
    if (numeric)
        return number != 0;
    if (value.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
        return true;
    if (value.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
        return false;
    return true;
}
