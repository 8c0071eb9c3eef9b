#pragma once

#include <QAbstractTableModel>

class TransferQueue;

// The waiting and running items of the transfer queue as the status view
// shows them above the record of finished ones: name, direction, size,
// progress and speed.
class QueueModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    // The item's id, for whoever acts on a row.
    static constexpr int IdRole = Qt::UserRole + 1;

    explicit QueueModel(TransferQueue &queue, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    TransferQueue &queue;
};
