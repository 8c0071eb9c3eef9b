#pragma once

#include "queue/QueueItem.h"

#include <QString>
#include <QVector>

// The transfers that were not finished when the program ended, in an SQLite
// file only its owner may read. A password is never written: an item names
// its server (protocol, host, port, user, encryption) and waits, when read
// back, until the user has logged in there again.
class QueueStore
{
public:
    explicit QueueStore(QString path);
    ~QueueStore();
    QueueStore(const QueueStore &) = delete;
    QueueStore &operator=(const QueueStore &) = delete;

    // The default place: the user's data folder.
    static QString defaultPath();

    // Replaces what is stored; nothing at all leaves no file behind.
    bool save(const QVector<QueueItem> &items);
    // The stored items, in their order; their sites carry no password.
    QVector<QueueItem> load();
    bool isEmpty();
    void clear();

private:
    bool open();
    void close();

    QString path;
    QString connection;
};
