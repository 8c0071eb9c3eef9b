#include "remote/RemoteActivity.h"

int RemoteActivity::category() const
{
    switch (kind) {
    case RemoteActivityKind::ServerReply:
        return RemoteCategory::ServerReply;
    case RemoteActivityKind::MakeDirectoryResult:
        return folder == RemoteFolderOutcome::Made ? RemoteCategory::ServerReply
                                                   : RemoteCategory::Failure;
    case RemoteActivityKind::EntrySkipped:
    case RemoteActivityKind::ItemFailed:
    case RemoteActivityKind::ReplyIgnored:
    case RemoteActivityKind::LinesUnreadable:
        return RemoteCategory::Failure;
    default:
        return RemoteCategory::Information;
    }
}
