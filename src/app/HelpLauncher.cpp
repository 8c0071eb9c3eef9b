#include "app/HelpLauncher.h"

#include "platform/SessionLog.h"
#include "platform/Shell.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>

const QString HelpLauncher::SupportAddress = QStringLiteral("korvu-support@example.org");

void HelpLauncher::setHelpFile(const QString &programDir)
{
    file = QDir(programDir).filePath(QStringLiteral("help/index.html"));
}

void HelpLauncher::ShowContents()
{
    if (!QFileInfo(file).isFile()) {
        log.append(QStringLiteral("找不到帮助文件 %1\r\n").arg(QDir::toNativeSeparators(file)));
        return;
    }
    if (!shell.openUrl(QUrl::fromLocalFile(file)))
        log.append(QStringLiteral("无法打开帮助文件 %1：没有可用的浏览器\r\n")
                       .arg(QDir::toNativeSeparators(file)));
}

void HelpLauncher::mnuEmail_Click()
{
    shell.openUrl(QUrl(QStringLiteral("mailto:") + SupportAddress));
}
