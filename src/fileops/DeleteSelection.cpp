#include "fileops/DeleteSelection.h"

#include "panes/FileListModel.h"
#include "platform/Prompts.h"
#include "transfer/TransferList.h"

int DeleteSelection::collect(TransferList &transfers, bool local, const QString &dir)
{
    if (local)
        transfers.CollectLocalSelection(dir, false);
    else
        transfers.CollectRemoteSelection(dir, false);
    for (const ChosenRow &item : transfers.TransferItems()) {
        if (item.Kind != EntryKind::Parent)
            continue;
        if (local)
            transfers.MarkLocalRow(item.Index, false);
        else
            transfers.MarkRemoteRow(item.Index, false);
    }
    transfers.removeIf([](const ChosenRow &item) { return item.Kind == EntryKind::Parent; });
    return transfers.count();
}

bool DeleteSelection::confirm(Prompts &prompts, int count)
{
    const QString text = QStringLiteral("你确定要删除 ") + QString::number(count) +
                         QStringLiteral(" 个文件或目录吗?");
    return prompts.messageBox(text, Prompts::Buttons::OkCancel, Prompts::Icon::Question,
                              QStringLiteral("确认删除")) == Prompts::Answer::Ok;
}

void DeleteSelection::removeRow(FileListModel *model, const QString &tag, int hint)
{
    if (hint < 0 || hint >= model->rowCount() || model->row(hint).tag != tag) {
        hint = -1;
        for (int r = 0; r < model->rowCount() && hint < 0; ++r)
            if (model->row(r).tag == tag)
                hint = r;
    }
    model->removeRowAt(hint);
}
