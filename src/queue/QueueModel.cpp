#include "queue/QueueModel.h"

#include "queue/TransferQueue.h"

#include <QLocale>

namespace {
enum Column
{
    Name,
    Direction,
    Size,
    Progress,
    Speed,
    ColumnCount
};

QString progressText(const QueueItem &item)
{
    switch (item.state) {
    case QueueItem::State::Stopped:
        return item.awaitingLogin ? QStringLiteral("等待登录") : QStringLiteral("已停止");
    case QueueItem::State::Waiting:
        return item.retries > 0 ? QStringLiteral("等待重试 (%1/%2)")
                                      .arg(item.retries)
                                      .arg(TransferQueue::MaxRetries)
                                : QStringLiteral("等待");
    case QueueItem::State::Running:
        break;
    }
    if (item.size <= 0)
        return QLocale::system().formattedDataSize(item.done);
    return QStringLiteral("%1%").arg(item.done * 100 / item.size);
}
} // namespace

QueueModel::QueueModel(TransferQueue &queue, QObject *parent)
    : QAbstractTableModel(parent), queue(queue)
{
    connect(&queue, &TransferQueue::itemAdded, this, [this](int row) {
        beginInsertRows({}, row, row);
        endInsertRows();
    });
    connect(&queue, &TransferQueue::itemRemoved, this, [this](int row) {
        beginRemoveRows({}, row, row);
        endRemoveRows();
    });
    connect(&queue, &TransferQueue::itemChanged, this, [this](int row) {
        Q_EMIT dataChanged(index(row, 0), index(row, ColumnCount - 1), {Qt::DisplayRole});
    });
}

int QueueModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(queue.items().size());
}

int QueueModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant QueueModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const QueueItem &item = queue.items().at(index.row());
    if (role == IdRole)
        return item.id;
    if (role == Qt::TextAlignmentRole && index.column() == Size)
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole)
        return {};
    switch (index.column()) {
    case Name:
        return item.name();
    case Direction:
        // The arrows of the record rows: towards the local side or away.
        return item.upload ? QStringLiteral("-->") : QStringLiteral("<--");
    case Size:
        return item.size >= 0 ? QString::number(item.size) : QString();
    case Progress:
        return progressText(item);
    case Speed:
        return item.state == QueueItem::State::Running && item.bytesPerSecond > 0
                   ? QLocale::system().formattedDataSize(item.bytesPerSecond) + QStringLiteral("/s")
                   : QString();
    default:
        return {};
    }
}

QVariant QueueModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    static const QStringList headers = {QStringLiteral("名称"), QStringLiteral("方向"),
                                        QStringLiteral("大小"), QStringLiteral("进度"),
                                        QStringLiteral("速度")};
    return headers.value(section);
}
