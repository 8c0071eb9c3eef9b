#include "transfer/TransferCommands.h"

#include "panes/LocalPane.h"
#include "panes/RemotePane.h"
#include "transfer/BackgroundTransfers.h"
#include "transfer/TransferContext.h"
#include "transfer/TransferList.h"
#include "window/WindowContext.h"

#include <QComboBox>

TransferCommands::TransferCommands(TransferContext &context, QObject *parent)
    : QObject(parent), tc(context), downloads(context), uploads(context)
{
    connect(&tc.remote, &RemotePane::downloadRequested, this, &TransferCommands::downloadRow);
}

void TransferCommands::dropParentRows(bool local)
{
    for (const ChosenRow &item : tc.list.TransferItems())
        if (item.Kind == EntryKind::Parent)
            local ? tc.list.MarkLocalRow(item.Index, false)
                  : tc.list.MarkRemoteRow(item.Index, false);
    tc.list.removeIf([](const ChosenRow &item) { return item.Kind == EntryKind::Parent; });
}

void TransferCommands::DownloadCommand()
{
    if (!tc.window.ready())
        return;
    tc.list.CollectRemoteSelection(tc.remote.shownDirectory(), true);
    download(tc.local.shownDirectory());
}

void TransferCommands::UploadCommand()
{
    if (!tc.window.ready())
        return;
    tc.list.CollectLocalSelection(tc.local.shownDirectory(), true);
    upload(tc.remote.shownDirectory());
}

void TransferCommands::downloadRow(const QString &dir)
{
    tc.list.CollectRemoteSelection(dir, true);
    download(tc.local.shownDirectory());
}

void TransferCommands::download(QString target)
{
    dropParentRows(false);
    if (background && background->takeDownload(target))
        return;
    downloads.DownloadSelection(target);
}

void TransferCommands::upload(QString target)
{
    dropParentRows(true);
    if (background && background->takeUpload(target))
        return;
    uploads.UploadSelection(target);
}
