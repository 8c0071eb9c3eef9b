#pragma once

#include "window/DirCombos.h"

class FileListView;
class LocalPane;
class ProgressDisplay;
class QueueList;
class RemotePane;
class TransferList;
class WindowContext;

// What downloads, uploads and drag and drop work with: the window's context
// and the transfer parts and panes they drive.
struct TransferContext
{
    WindowContext &window;
    TransferList &list;
    QueueList &queue;
    ProgressDisplay &progress;
    LocalPane &local;
    RemotePane &remote;
    FileListView *lvwLocal;
    FileListView *lvwRemote;
    DirCombos combos;
};
