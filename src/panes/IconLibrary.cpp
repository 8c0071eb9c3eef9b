#include "panes/IconLibrary.h"

#include <QApplication>
#include <QStyle>

namespace {
struct IconSource
{
    const char *key;
    const char *themeName;
    QStyle::StandardPixmap fallback;
};

// Theme names from the freedesktop naming scheme; the fallbacks come from the
// running style so a machine without an icon theme still shows something sane.
const IconSource sources[] = {
    {"FolderClose", "folder", QStyle::SP_DirClosedIcon},
    {"Cdup1", "go-up", QStyle::SP_FileDialogToParent},
    {"Nope", "dialog-error", QStyle::SP_MessageBoxCritical},
    {"Cdup", "go-up", QStyle::SP_FileDialogToParent},
    {"RemoteHost", "network-server", QStyle::SP_DriveNetIcon},
    {"Drive", "drive-harddisk", QStyle::SP_DriveHDIcon},
    {"Localhost", "computer", QStyle::SP_ComputerIcon},
    {"FolderLinkOpen", "folder-open", QStyle::SP_DirLinkOpenIcon},
    {"File", "text-x-generic", QStyle::SP_FileIcon},
    {"Move1", "document-send", QStyle::SP_ArrowRight},
    {"FileLink", "emblem-symbolic-link", QStyle::SP_FileLinkIcon},
    {"Move", "document-send", QStyle::SP_ArrowRight},
    {"Link", "emblem-symbolic-link", QStyle::SP_FileLinkIcon},
    {"FolderLink", "folder-remote", QStyle::SP_DirLinkIcon},
    {"ExeFile1", "application-x-executable", QStyle::SP_ComputerIcon},
    {"ExeFile", "application-x-executable", QStyle::SP_ComputerIcon},
    {"TextFile", "text-x-generic", QStyle::SP_FileIcon},
    {"ZipFile", "package-x-generic", QStyle::SP_FileIcon},
    {"RarFile", "package-x-generic", QStyle::SP_FileIcon},
    {"FolderOpen", "folder-open", QStyle::SP_DirOpenIcon},
    {"Refresh", "view-refresh", QStyle::SP_BrowserReload},
    {"HelpFile", "help-browser", QStyle::SP_DialogHelpButton},
    {"ImageFile", "image-x-generic", QStyle::SP_FileIcon},
    {"HtmlFile", "text-html", QStyle::SP_FileIcon},
    {"DllFile", "application-x-sharedlib", QStyle::SP_FileIcon},
    {"IniFile", "text-x-script", QStyle::SP_FileIcon},
    {"MediaFile", "audio-x-generic", QStyle::SP_MediaPlay},
    {"Excel", "x-office-spreadsheet", QStyle::SP_FileIcon},
    {"Word", "x-office-document", QStyle::SP_FileIcon},
    {"Powerpnt", "x-office-presentation", QStyle::SP_FileIcon},
    {"Access", "x-office-address-book", QStyle::SP_FileIcon},
    {"ISO", "media-optical", QStyle::SP_DriveCDIcon},
    {"Font", "font-x-generic", QStyle::SP_FileIcon},
};
} // namespace

const QStringList &IconLibrary::keys()
{
    static const QStringList list = [] {
        QStringList all;
        for (const IconSource &s : sources)
            all.append(QString::fromLatin1(s.key));
        return all;
    }();
    return list;
}

QIcon IconLibrary::icon(const QString &key)
{
    static QHash<QString, QIcon> cache;
    if (key.isEmpty())
        return QIcon();
    auto it = cache.constFind(key);
    if (it != cache.constEnd())
        return *it;
    QIcon loaded = load(key);
    cache.insert(key, loaded);
    return loaded;
}

QIcon IconLibrary::load(const QString &key)
{
    for (const IconSource &s : sources) {
        if (key != QLatin1String(s.key))
            continue;
        if (QIcon::themeName().isEmpty())
            QIcon::setThemeName(QStringLiteral("Adwaita"));
        QIcon themed = QIcon::fromTheme(QString::fromLatin1(s.themeName));
        if (!themed.isNull())
            return themed;
        return QApplication::style()->standardIcon(s.fallback);
    }
    return QIcon();
}
