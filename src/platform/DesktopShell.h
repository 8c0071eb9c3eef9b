#pragma once

#include "platform/Shell.h"

// The desktop's own services: files and links open with the user's
// associations, properties and plain text are shown in Korvu's own windows,
// and viewer programs start detached with their arguments passed as a list
// (never through a shell command line).
class DesktopShell : public Shell
{
public:
    bool openFile(const QString &path) override;
    bool openUrl(const QUrl &url) override;
    void showProperties(const QString &path, QWidget *owner) override;
    bool startProgram(const QString &program, const QStringList &arguments) override;
    bool viewText(const QString &path, const QString &title, QWidget *owner) override;
};
