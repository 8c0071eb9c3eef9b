#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

class QWidget;

// What the desktop does with files outside Korvu: open by association, mail
// links, a properties sheet, starting a viewer program.
class Shell
{
public:
    virtual ~Shell() = default;

    // Opens a file with the program associated with its type.
    virtual bool openFile(const QString &path) = 0;
    // Opens a URL (mailto:, a help page) with the desktop's handler.
    virtual bool openUrl(const QUrl &url) = 0;
    // Shows the properties of a local file or folder; returns at once.
    virtual void showProperties(const QString &path, QWidget *owner) = 0;
    // Starts a program detached with its arguments; false when it cannot start.
    virtual bool startProgram(const QString &program, const QStringList &arguments) = 0;
    // Shows a file in Korvu's own text viewer (the default viewer), titled
    // `title` (empty: the file's name).
    virtual bool viewText(const QString &path, const QString &title, QWidget *owner) = 0;
};

// Records every call and answers `result`, for tests.
class ScriptedShell : public Shell
{
public:
    struct Call
    {
        QString what; // "openFile", "openUrl", "showProperties", "startProgram", "viewText"
        QString target;
        QStringList arguments;
    };
    QList<Call> calls;
    bool result = true;

    bool openFile(const QString &path) override
    {
        calls.append({QStringLiteral("openFile"), path, {}});
        return result;
    }
    bool openUrl(const QUrl &url) override
    {
        calls.append({QStringLiteral("openUrl"), url.toString(), {}});
        return result;
    }
    void showProperties(const QString &path, QWidget *) override
    {
        calls.append({QStringLiteral("showProperties"), path, {}});
    }
    bool startProgram(const QString &program, const QStringList &arguments) override
    {
        calls.append({QStringLiteral("startProgram"), program, arguments});
        return result;
    }
    bool viewText(const QString &path, const QString &title, QWidget *) override
    {
        calls.append({QStringLiteral("viewText"), path, {title}});
        return result;
    }
};
