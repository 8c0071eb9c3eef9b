#include "app/AppVersion.h"
#include "app/Artwork.h"
#include "app/MainWindow.h"
#include "app/Platform.h"
#include "app/QtTranslation.h"
#include "app/SplashWindow.h"
#include "connection/ConnectionController.h"
#include "platform/DesktopShell.h"
#include "platform/Globals.h"
#include "platform/IconTheme.h"
#include "platform/Prompts.h"
#include "platform/SettingsStore.h"
#include "platform/SystemDrives.h"
#include "platform/SystemNetworkInfo.h"
#include "queue/QueueStore.h"

#include <QApplication>
#include <QCommandLineParser>
#include <memory>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (!QtTranslation::install(app))
        qWarning("Qt's Chinese translation (package qt6-translations-l10n) is missing: Qt's own "
                 "buttons and menus stay in English");
    QApplication::setOrganizationName(QStringLiteral("Korvu"));
    QApplication::setApplicationName(QStringLiteral("Korvu"));
    QApplication::setApplicationVersion(AppVersion::number());
    QGuiApplication::setDesktopFileName(QStringLiteral("korvu"));
    QApplication::setWindowIcon(Artwork::windowIcon());
    IconTheme::ensure();

    QCommandLineParser options;
    options.setApplicationDescription(QStringLiteral("Korvu：双窗格 FTP 客户端"));
    options.addHelpOption();
    options.addVersionOption();
    const QCommandLineOption sites(QStringLiteral("sites"),
                                   QStringLiteral("使用这个站点文件，而不是程序自己的 korvu.sit"),
                                   QStringLiteral("FILE"));
    options.addOption(sites);
    options.addPositionalArgument(
        QStringLiteral("URL"),
        QStringLiteral("打开快速连接并填入这个地址 (ftp://、ftps:// 或 sftp://用户@主机:端口/)"),
        QStringLiteral("[URL]"));
    options.process(app);

    QtPrompts prompts;
    DesktopShell shell;
    SettingsStore settings;
    SystemDrives drives;
    SystemNetworkInfo networkInfo;
    Platform platform{prompts,
                      shell,
                      settings,
                      drives,
                      networkInfo,
                      QCoreApplication::applicationDirPath(),
                      options.value(sites),
                      QueueStore::defaultPath()};
    Globals globals;

    std::unique_ptr<MainWindow> frmMain;
    SplashWindow frmFlash([&]() -> QWidget * {
        frmMain = std::make_unique<MainWindow>(platform, globals);
        prompts.setParentWidget(frmMain.get());
        return frmMain.get();
    });
    // A link the desktop opened Korvu for is offered once the window is up.
    const QStringList links = options.positionalArguments();
    if (!links.isEmpty())
        QObject::connect(
            &frmFlash, &SplashWindow::mainWindowShown, &frmFlash,
            [&frmMain, link = links.first()] { frmMain->openLink(link); }, Qt::QueuedConnection);
    frmFlash.start();
    return QApplication::exec();
}
