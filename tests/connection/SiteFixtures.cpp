#include "SiteFixtures.h"

#include "platform/SiteDatabase.h"

#include <QCoreApplication>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>

SiteFile::SiteFile() : file(temp.filePath(SiteDatabase::FileName))
{
    if (!QFile::copy(shippedFile(), file))
        qFatal("cannot copy %s", qPrintable(shippedFile()));
}

QString SiteFile::shippedFile()
{
    // The test programs sit beside the shipped file when run by hand.
    return qEnvironmentVariable("KORVU_BIN_DIR", QCoreApplication::applicationDirPath()) +
           QStringLiteral("/") + SiteDatabase::FileName;
}

void SiteFile::insert(const QString &name, const QString &address, const QVariantMap &more) const
{
    QVariantMap values = more;
    values.insert(QStringLiteral("站点名称"), name);
    values.insert(QStringLiteral("站点地址"), address);
    SiteDatabase db;
    if (!db.open(file))
        qFatal("%s", qPrintable(db.errorDescription()));
    QSqlQuery query(db.database());
    query.prepare(QStringLiteral("INSERT INTO mysit (%1) VALUES (%2)")
                      .arg(values.keys().join(QLatin1Char(',')),
                           QStringList(values.size(), QStringLiteral("?")).join(QLatin1Char(','))));
    for (const QVariant &value : values)
        query.addBindValue(value);
    if (!query.exec())
        qFatal("%s", qPrintable(query.lastError().text()));
}

int SiteFile::count() const
{
    return cell(-1, QStringLiteral("COUNT(*)")).toInt();
}

QVariant SiteFile::cell(int row, const QString &column) const
{
    SiteDatabase db;
    if (!db.open(file))
        qFatal("%s", qPrintable(db.errorDescription()));
    QSqlQuery query(db.database());
    QString sql = QStringLiteral("SELECT %1 FROM mysit").arg(column);
    if (row >= 0)
        sql += QStringLiteral(" ORDER BY rowid LIMIT 1 OFFSET %1").arg(row);
    if (!query.exec(sql) || !query.next())
        qFatal("no row %d: %s", row, qPrintable(query.lastError().text()));
    return query.value(0);
}

void SiteFile::exec(const QString &sql) const
{
    SiteDatabase db;
    if (!db.open(file))
        qFatal("%s", qPrintable(db.errorDescription()));
    QSqlQuery query(db.database());
    if (!query.exec(sql))
        qFatal("%s", qPrintable(query.lastError().text()));
}

Globals previousSession()
{
    Globals g;
    g.gHost = QStringLiteral("previous.example");
    g.gUser = QStringLiteral("previous-user");
    g.gPassword = QStringLiteral("previous-password");
    g.gPort = 2121;
    g.gTimeout = 77;
    g.gPassive = false;
    g.gEncoding = 2;
    g.gEncryption = 3;
    g.gDialogCancelled = true;
    return g;
}

bool sameSession(const Globals &a, const Globals &b)
{
    return a.gHost == b.gHost && a.gUser == b.gUser && a.gPassword == b.gPassword &&
           a.gPort == b.gPort && a.gTimeout == b.gTimeout && a.gPassive == b.gPassive &&
           a.gEncoding == b.gEncoding && a.gEncryption == b.gEncryption &&
           a.gDialogCancelled == b.gDialogCancelled;
}
