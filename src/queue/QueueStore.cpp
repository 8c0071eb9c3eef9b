#include "queue/QueueStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QUuid>
#include <QVariant>

namespace {
const QString Table = QStringLiteral("transfers");
constexpr QFileDevice::Permissions OwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
} // namespace

QueueStore::QueueStore(QString path)
    : path(std::move(path)), connection(QUuid::createUuid().toString(QUuid::WithoutBraces))
{}

QueueStore::~QueueStore()
{
    close();
}

QString QueueStore::defaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
           QStringLiteral("/queue.db");
}

bool QueueStore::open()
{
    if (QSqlDatabase::contains(connection))
        return QSqlDatabase::database(connection).isOpen();
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    // Made empty and owner-only before SQLite writes a byte to it.
    if (!QFileInfo::exists(path)) {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return false;
    }
    QFile::setPermissions(path, OwnerOnly);
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
    db.setDatabaseName(path);
    if (!db.open())
        return false;
    QSqlQuery(db).exec(
        QStringLiteral(
            "CREATE TABLE IF NOT EXISTS %1 (position INTEGER, upload INTEGER, folder INTEGER, "
            "local TEXT, remote TEXT, size INTEGER, protocol INTEGER, host TEXT, port INTEGER, "
            "user TEXT, encryption INTEGER, passive INTEGER, encoding INTEGER)")
            .arg(Table));
    return true;
}

void QueueStore::close()
{
    if (!QSqlDatabase::contains(connection))
        return;
    QSqlDatabase::database(connection).close();
    QSqlDatabase::removeDatabase(connection);
}

bool QueueStore::save(const QVector<QueueItem> &items)
{
    if (items.isEmpty()) {
        clear();
        return true;
    }
    if (!open())
        return false;
    QSqlDatabase db = QSqlDatabase::database(connection);
    db.transaction();
    QSqlQuery query(db);
    query.exec(QStringLiteral("DELETE FROM %1").arg(Table));
    query.prepare(
        QStringLiteral("INSERT INTO %1 VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)").arg(Table));
    int position = 0;
    for (const QueueItem &item : items) {
        const QueueSite &site = *item.site;
        for (const QVariant &value :
             {QVariant(position++), QVariant(item.upload), QVariant(item.folder),
              QVariant(item.localPath), QVariant(item.remotePath), QVariant(item.size),
              QVariant(int(site.protocol)), QVariant(site.login.host), QVariant(site.login.port),
              QVariant(site.login.user), QVariant(site.settings.encryption),
              QVariant(site.settings.passive), QVariant(site.settings.nameEncoding)})
            query.addBindValue(value);
        if (!query.exec()) {
            db.rollback();
            return false;
        }
    }
    return db.commit();
}

QVector<QueueItem> QueueStore::load()
{
    QVector<QueueItem> items;
    if (!QFileInfo::exists(path) || !open())
        return items;
    QSqlQuery query(QSqlDatabase::database(connection));
    query.exec(QStringLiteral("SELECT upload, folder, local, remote, size, protocol, host, port, "
                              "user, encryption, passive, encoding FROM %1 ORDER BY position")
                   .arg(Table));
    // Items of one server share one site, as they did when stored.
    QVector<std::shared_ptr<QueueSite>> sites;
    while (query.next()) {
        auto site = std::make_shared<QueueSite>();
        site->protocol = RemoteProtocol(query.value(5).toInt());
        site->login.host = query.value(6).toString();
        site->login.port = query.value(7).toInt();
        site->login.user = query.value(8).toString();
        site->settings.encryption = query.value(9).toInt();
        site->settings.passive = query.value(10).toBool();
        site->settings.nameEncoding = query.value(11).toInt();
        const auto same = std::find_if(sites.cbegin(), sites.cend(), [&site](const auto &known) {
            return known->sameServer(*site);
        });
        if (same != sites.cend())
            site = *same;
        else
            sites.append(site);
        QueueItem item;
        item.upload = query.value(0).toBool();
        item.folder = query.value(1).toBool();
        item.localPath = query.value(2).toString();
        item.remotePath = query.value(3).toString();
        item.size = query.value(4).toLongLong();
        item.site = site;
        item.resume = true;
        item.decided = true;
        items.append(item);
    }
    return items;
}

bool QueueStore::isEmpty()
{
    if (!QFileInfo::exists(path) || !open())
        return true;
    QSqlQuery query(QSqlDatabase::database(connection));
    return !(query.exec(QStringLiteral("SELECT COUNT(*) FROM %1").arg(Table)) && query.next() &&
             query.value(0).toInt() > 0);
}

void QueueStore::clear()
{
    close();
    QFile::remove(path);
}
