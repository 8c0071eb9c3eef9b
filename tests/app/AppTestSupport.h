#pragma once

#include "app/MainWindow.h"
#include "app/Platform.h"
#include "platform/Drives.h"
#include "platform/Globals.h"
#include "platform/NetworkInfo.h"
#include "platform/Prompts.h"
#include "platform/SettingsStore.h"
#include "platform/Shell.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <memory>

// A main window on scripted desktop services, with its own home, temporary
// folder, settings file and program folder (holding the help pages), all
// inside one temporary directory.
struct AppHarness
{
    QTemporaryDir root;
    QString home = root.filePath(QStringLiteral("home"));
    QString temp = root.filePath(QStringLiteral("temp"));
    QString programDir = root.filePath(QStringLiteral("bin"));
    QString iniFile = root.filePath(QStringLiteral("korvu.ini"));
    QString siteDatabase; // empty: the site file beside the test program
    QString queueStore;   // empty: unfinished transfers are kept nowhere

    ScriptedPrompts prompts;
    ScriptedShell shell;
    std::unique_ptr<SettingsStore> settings;
    FixedDrives drives{{QStringLiteral("/"), home + QStringLiteral("/")}};
    FixedNetworkInfo networkInfo{NetworkDetails{}};
    std::unique_ptr<Platform> platform;
    Globals globals;
    std::unique_ptr<MainWindow> window;

    AppHarness()
    {
        QDir().mkpath(home);
        QDir().mkpath(temp);
        QDir().mkpath(programDir + QStringLiteral("/help"));
        QFile page(programDir + QStringLiteral("/help/index.html"));
        if (page.open(QIODevice::WriteOnly))
            page.write("<html></html>");
        qputenv("HOME", QFile::encodeName(home));
        qputenv("TEMP", QFile::encodeName(temp));
        settings = std::make_unique<SettingsStore>(iniFile);
    }

    MainWindow &start()
    {
        platform = std::make_unique<Platform>(Platform{
            prompts, shell, *settings, drives, networkInfo, programDir, siteDatabase, queueStore});
        window = std::make_unique<MainWindow>(*platform, globals);
        return *window;
    }

    // What the settings file holds now, read afresh.
    QString stored(const QString &key)
    {
        settings->sync();
        return SettingsStore(iniFile).value(key, QStringLiteral("<absent>"));
    }
};
