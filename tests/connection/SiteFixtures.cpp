#include "SiteFixtures.h"

#include "platform/SiteDatabase.h"

#include <QCoreApplication>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>

SiteFile::SiteFile() : file(temp.filePath(SiteDatabase::FileName))
{
    if (!QFile::copy(shippedFile(), file))
        qFatal("cannot copy %s", qPrintable(shippedFile()));
}

QString SiteFile::shippedFile()
{
    // The test programs sit beside the shipped file when run by hand.
    const QString dir =
        qEnvironmentVariable("KORVU_BIN_DIR", QCoreApplication::applicationDirPath());
    return dir + QStringLiteral("/") + SiteDatabase::FileName;
}

void SiteFile::insert(const SiteRow &row) const
{
    SiteDatabase db;
    if (!db.open(file))
        qFatal("%s", qPrintable(db.errorDescription()));
    QSqlQuery query(db.database());
    query.prepare(QStringLiteral(
        "INSERT INTO mysit (站点名称, 站点地址, 端口, 用户名, 密码, 传输类型, 超时, 被动模式, 匿名)"
        " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    for (const QVariant &value : {QVariant(row.name), QVariant(row.address), QVariant(row.port),
                                  QVariant(row.user), QVariant(row.password), QVariant(row.type),
                                  QVariant(row.timeout), row.passive, row.anonymous})
        query.addBindValue(value);
    if (!query.exec())
        qFatal("%s", qPrintable(query.lastError().text()));
}

QList<SiteRow> SiteFile::rows() const
{
    SiteDatabase db;
    if (!db.open(file))
        qFatal("%s", qPrintable(db.errorDescription()));
    QSqlQuery query(db.database());
    if (!query.exec(QStringLiteral("SELECT * FROM mysit ORDER BY 1")))
        qFatal("%s", qPrintable(query.lastError().text()));
    QList<SiteRow> rows;
    while (query.next()) {
        rows.append({query.value(1).toString(), query.value(2).toString(),
                     query.value(3).toString(), query.value(4).toString(),
                     query.value(5).toString(), query.value(6).toString(),
                     query.value(7).toString(), query.value(8), query.value(9)});
    }
    return rows;
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
    g.gDialogCancelled = true;
    return g;
}

bool sameSession(const Globals &a, const Globals &b)
{
    return a.gHost == b.gHost && a.gUser == b.gUser && a.gPassword == b.gPassword &&
           a.gPort == b.gPort && a.gTimeout == b.gTimeout && a.gPassive == b.gPassive &&
           a.gDialogCancelled == b.gDialogCancelled;
}
