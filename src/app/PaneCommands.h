#pragma once

#include <functional>

class FileListView;
class WindowContext;

// The commands that act on whichever pane is active: the two view modes,
// select all, refresh and going up one folder.
class PaneCommands
{
public:
    PaneCommands(WindowContext &context, FileListView *lvwLocal, FileListView *lvwRemote);

    // How each pane is refilled; the remote pane's refresh needs the FTP
    // session and is set by the connection.
    void setLocalRefresh(std::function<void()> refresh) { refreshLocal = std::move(refresh); }
    void setRemoteRefresh(std::function<void()> refresh) { refreshRemote = std::move(refresh); }
    // How each pane goes up to the folder above the one on show.
    void setLocalParent(std::function<void()> up) { parentLocal = std::move(up); }
    void setRemoteParent(std::function<void()> up) { parentRemote = std::move(up); }

    // The pane acted on is the one CommandState names, whose availability
    // the menus and buttons show.
    //
    // mnuViewList / mnuViewReport: the menu checks follow the choice; only
    // the file pane acted on changes its view (none while the queue is active).
    void mnuViewList_Click();
    void mnuViewReport_Click();
    // Selects every row of the file pane acted on but the first, the parent
    // folder's row.
    void mnuEditSelectAll_Click();
    // Refills the remote pane when it is the one acted on, otherwise the
    // local pane.
    void RefreshPane();
    // The Backspace key: the file pane acted on shows the folder above, as
    // its parent row would.
    void ParentFolder();

private:
    void setViewMode(int mode);
    // The file pane acted on; none while the queue is active.
    FileListView *activeFilePane() const;

    WindowContext &ctx;
    FileListView *lvwLocal;
    FileListView *lvwRemote;
    std::function<void()> refreshLocal;
    std::function<void()> refreshRemote;
    std::function<void()> parentLocal;
    std::function<void()> parentRemote;
};
