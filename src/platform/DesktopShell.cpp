#include "platform/DesktopShell.h"

#include "platform/FilePropertiesDialog.h"
#include "platform/TextViewerDialog.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>

bool DesktopShell::openFile(const QString &path)
{
    if (!QFileInfo::exists(path))
        return false;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

bool DesktopShell::openUrl(const QUrl &url)
{
    return url.isValid() && QDesktopServices::openUrl(url);
}

void DesktopShell::showProperties(const QString &path, QWidget *owner)
{
    auto *dialog = new FilePropertiesDialog(path, owner);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->show();
}

bool DesktopShell::startProgram(const QString &program, const QStringList &arguments)
{
    if (program.isEmpty())
        return false;
    return QProcess::startDetached(program, arguments);
}

bool DesktopShell::viewText(const QString &path, const QString &title, QWidget *owner)
{
#ifdef Q_OS_WIN
    // Notepad is the Windows desktop's own viewer.
    Q_UNUSED(title);
    Q_UNUSED(owner);
    return QFileInfo(path).isFile() &&
           QProcess::startDetached(QStringLiteral("notepad.exe"), {QDir::toNativeSeparators(path)});
#else
    auto *viewer = new TextViewerDialog(owner);
    viewer->setAttribute(Qt::WA_DeleteOnClose);
    if (!viewer->load(path, title)) {
        delete viewer;
        return false;
    }
    viewer->show();
    return true;
#endif
}
