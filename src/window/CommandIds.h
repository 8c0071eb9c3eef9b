#pragma once

#include <QString>
#include <cstddef>

// Every command of the main window that can be enabled, captioned or checked:
// the menu items and, separately, the toolbar buttons (a button and the menu
// item it stands for are not always enabled together).
enum class Cmd
{
    // 文件(&F)
    File,
    Sit,
    Login,
    Relogin,
    Logout,
    Exit,
    // 操作(&A)
    Edit,
    UpDown,
    MakeDir,
    Rename,
    Del,
    SelectAll,
    Refresh,
    Property,
    Show,
    EditFile,
    Run,
    // 视图(&V)
    View,
    ViewList,
    ViewReport,
    ViewCompare,
    ViewCompareHide,
    ViewOptions,
    // 帮助(&H)
    Help,
    HelpContents,
    Email,
    HelpAbout,
    // The queue list's pop-up menu
    StatusClear,
    StatusDel,
    // Toolbar buttons
    SiteButton,
    ConnectButton,
    ReconnectButton,
    DisconnectButton,
    DownloadButton,
    UploadButton,
    StopButton,
    RefreshButton,
    ListButton,
    ReportButton,
    DeleteButton,
    RenameButton,
    NewFolderButton,
    RunButton,
    ShowButton,
    PropertyButton,
    // Keys of the file panes that no menu item or button carries
    ParentFolderKey,
    SelectAllKey,
};

constexpr std::size_t CommandCount = std::size_t(Cmd::SelectAllKey) + 1;

// The toolbar buttons' keys; each is also the button's caption.
namespace ToolbarKey {
inline const QString Site = QStringLiteral("站点管理");
inline const QString Connect = QStringLiteral("连接");
inline const QString Reconnect = QStringLiteral("重新连接");
inline const QString Disconnect = QStringLiteral("断开连接");
inline const QString Download = QStringLiteral("下载");
inline const QString Upload = QStringLiteral("上传");
inline const QString Stop = QStringLiteral("停止操作");
inline const QString Refresh = QStringLiteral("刷新");
inline const QString List = QStringLiteral("列表视图");
inline const QString Report = QStringLiteral("详细资料");
inline const QString Delete = QStringLiteral("删除");
inline const QString Rename = QStringLiteral("重命名");
inline const QString NewFolder = QStringLiteral("新建文件夹");
inline const QString Run = QStringLiteral("运行");
inline const QString Show = QStringLiteral("查看");
inline const QString Property = QStringLiteral("属性");
} // namespace ToolbarKey
