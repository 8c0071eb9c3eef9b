#include "window/HelpLauncher.h"

#include "platform/ProgramFiles.h"
#include "platform/SessionLog.h"
#include "platform/Shell.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QUrl>
#include <QWidget>

namespace {
const char topicProperty[] = "korvuHelpTopic";
const QString contentsPage = QStringLiteral("index.html");
} // namespace

const QString HelpLauncher::SupportAddress = QStringLiteral("korvu-support@example.org");

HelpLauncher::HelpLauncher(Shell &shell, SessionLog &log, QObject *parent)
    : QObject(parent), shell(shell), log(log)
{
    // Modal dialogs block the main window's shortcuts, so F1 is caught before
    // any window sees it.
    if (qApp)
        qApp->installEventFilter(this);
}

void HelpLauncher::setHelpFile(const QString &programDir)
{
    file = QDir(ProgramFiles::dataDir(programDir)).filePath(QStringLiteral("help/") + contentsPage);
}

void HelpLauncher::setTopic(QWidget *window, const QString &page)
{
    window->setProperty(topicProperty, page);
}

QString HelpLauncher::topicOf(const QWidget *widget)
{
    for (const QWidget *w = widget ? widget->window() : nullptr; w;
         w = w->parentWidget() ? w->parentWidget()->window() : nullptr) {
        const QString page = w->property(topicProperty).toString();
        if (!page.isEmpty())
            return page;
    }
    return contentsPage;
}

void HelpLauncher::ShowContents()
{
    ShowTopic(contentsPage);
}

void HelpLauncher::ShowTopic(const QString &page)
{
    const QString path = QFileInfo(file).dir().filePath(page);
    if (!QFileInfo(path).isFile()) {
        log.append(QStringLiteral("找不到帮助文件 %1\r\n").arg(QDir::toNativeSeparators(path)));
        return;
    }
    if (!shell.openUrl(QUrl::fromLocalFile(path)))
        log.append(QStringLiteral("无法打开帮助文件 %1：没有可用的浏览器\r\n")
                       .arg(QDir::toNativeSeparators(path)));
}

void HelpLauncher::mnuEmail_Click()
{
    shell.openUrl(QUrl(QStringLiteral("mailto:") + SupportAddress));
}

bool HelpLauncher::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType())
        return false;
    const auto *key = static_cast<QKeyEvent *>(event);
    if (key->key() != Qt::Key_F1 || key->modifiers() != Qt::NoModifier)
        return false;
    ShowTopic(topicOf(static_cast<QWidget *>(watched)));
    return true;
}
