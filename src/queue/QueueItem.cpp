#include "queue/QueueItem.h"

#include <QDir>
#include <QFileInfo>

QString QueueItem::name() const
{
    return QFileInfo(QDir::fromNativeSeparators(localPath)).fileName();
}
