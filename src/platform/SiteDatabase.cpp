#include "platform/SiteDatabase.h"

#include "platform/ProgramFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryFile>
#include <QUrl>
#include <atomic>

namespace {

const QString Driver = QStringLiteral("QSQLITE");

QString uniqueConnectionName()
{
    static std::atomic<int> serial{0};
    return QStringLiteral("korvu-sites-%1").arg(++serial);
}

QString shown(const QString &path)
{
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
}

// The statements of an SQL script: "--" comment lines dropped, split at ";".
QStringList statementsOf(const QString &schema)
{
    QStringList code;
    for (const QString &line : schema.split(QLatin1Char('\n'))) {
        if (!line.trimmed().startsWith(QLatin1String("--")))
            code.append(line);
    }
    QStringList statements;
    for (const QString &statement : code.join(QLatin1Char('\n')).split(QLatin1Char(';'))) {
        if (!statement.trimmed().isEmpty())
            statements.append(statement.trimmed());
    }
    return statements;
}

bool runSchema(const QString &path, const QString &schema, QString *error)
{
    const QString name = uniqueConnectionName();
    bool ok = true;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(Driver, name);
        db.setDatabaseName(path);
        if (!db.open()) {
            *error = db.lastError().text();
            ok = false;
        }
        const QStringList statements = statementsOf(schema);
        for (qsizetype i = 0; ok && i < statements.size(); ++i) {
            QSqlQuery query(db);
            if (!query.exec(statements.at(i))) {
                *error = query.lastError().text();
                ok = false;
            }
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return ok;
}

// Copies the shipped file to `target` through a temporary file in the
// target's folder, so an interrupted copy never leaves a truncated site
// file behind. QTemporaryFile creates the file owner-only.
bool copySiteFile(const QString &source, const QString &target, QString *error)
{
    if (!QDir().mkpath(QFileInfo(target).absolutePath())) {
        *error =
            QStringLiteral("无法创建文件夹 \"%1\"。").arg(shown(QFileInfo(target).absolutePath()));
        return false;
    }
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly)) {
        *error = in.errorString();
        return false;
    }
    QTemporaryFile out(target + QStringLiteral(".XXXXXX"));
    if (!out.open()) {
        *error = out.errorString();
        return false;
    }
    const QByteArray data = in.readAll();
    if (in.error() != QFileDevice::NoError || out.write(data) != data.size() || !out.flush()) {
        *error = in.error() != QFileDevice::NoError ? in.errorString() : out.errorString();
        return false;
    }
    out.close();
    if (!out.rename(target)) {
        *error = out.errorString();
        return false;
    }
    out.setAutoRemove(false);
    return true;
}

} // namespace

SiteDatabase::SiteDatabase() : connectionName(uniqueConnectionName()) {}

SiteDatabase::~SiteDatabase()
{
    close();
}

bool SiteDatabase::fail(Error number, const QString &description)
{
    close();
    errorNo = number;
    errorText = description;
    return false;
}

bool SiteDatabase::open(const QString &path)
{
    close();
    filePath = path;
    errorNo = NoError;
    errorText.clear();

    // SQLite would create a missing file on open; look first, then open with
    // mode=rw, which never creates one.
    const QFileInfo info(path);
    if (!info.exists())
        return fail(FileMissing, QStringLiteral("找不到站点数据库文件 \"%1\"。").arg(shown(path)));
    if (!info.isFile() || !info.isReadable())
        return fail(FileUnreadable,
                    QStringLiteral("无法读取站点数据库文件 \"%1\"。").arg(shown(path)));
    if (!QSqlDatabase::isDriverAvailable(Driver))
        return fail(DriverMissing, QStringLiteral("找不到 SQLite 数据库驱动 (QSQLITE)。"));

    db = QSqlDatabase::addDatabase(Driver, connectionName);
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI"));
    db.setDatabaseName(QUrl::fromLocalFile(info.absoluteFilePath()).toString(QUrl::FullyEncoded) +
                       QStringLiteral("?mode=rw"));
    if (!db.open())
        return fail(FileUnreadable, QStringLiteral("无法打开站点数据库文件 \"%1\": %2")
                                        .arg(shown(path), db.lastError().text()));
    return checkTable();
}

bool SiteDatabase::checkTable()
{
    // The first query is where SQLite notices a file that is no database.
    QSqlQuery query(db);
    query.prepare(
        QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' AND name = ?"));
    query.addBindValue(TableName);
    if (!query.exec())
        return fail(FileUnreadable, QStringLiteral("\"%1\" 不是有效的站点数据库文件: %2")
                                        .arg(shown(filePath), query.lastError().text()));
    if (!query.next())
        return fail(TableMissing, QStringLiteral("站点数据库文件 \"%1\" 中找不到表 \"%2\"。")
                                      .arg(shown(filePath), TableName));

    const QSqlRecord columns = db.record(TableName);
    QStringList missing;
    if (columns.count() <= NameColumn)
        missing.append(QStringLiteral("站点名称"));
    for (const QString &name :
         {SiteColumns::Address, SiteColumns::Port, SiteColumns::User, SiteColumns::Password,
          SiteColumns::TransferType, SiteColumns::Timeout, SiteColumns::Passive,
          SiteColumns::Anonymous}) {
        if (!columns.contains(name))
            missing.append(name);
    }
    if (!missing.isEmpty())
        return fail(ColumnsMissing, QStringLiteral("站点数据库的表 \"%1\" 缺少列: %2")
                                        .arg(TableName, missing.join(QStringLiteral(", "))));
    // A file from before the encoding, encryption, protocol or key file
    // column: they are appended, empty ("自动" and plain FTP for every site,
    // as before).
    // Should the file refuse, the sites still open and the choice is simply
    // not kept.
    for (const QString &later : {SiteColumns::Encoding, SiteColumns::Encryption,
                                 SiteColumns::Protocol, SiteColumns::KeyFile}) {
        if (!columns.contains(later))
            QSqlQuery(db).exec(
                QStringLiteral("ALTER TABLE %1 ADD COLUMN \"%2\" TEXT").arg(TableName, later));
    }
    return true;
}

bool SiteDatabase::openProgramFile()
{
    // An installed tree is never written to, even by a user who could (root
    // with /usr/share/korvu): its file is the template of each user's own.
    const QString programDir = QCoreApplication::applicationDirPath();
    const bool installed = ProgramFiles::isInstalled(programDir);
    const QString shippedDir = ProgramFiles::dataDir(programDir);
    return openProgramFile(shippedDir,
                           QStandardPaths::writableLocation(QStandardPaths::AppDataLocation),
                           !installed && canWriteIn(shippedDir));
}

bool SiteDatabase::openProgramFile(const QString &shippedDir, const QString &dataDir,
                                   bool useShippedFile)
{
    const QString shipped = QDir(shippedDir).filePath(FileName);
    if (useShippedFile)
        return open(shipped);

    // SQLite writes its journal beside the file, so a file in a folder that
    // cannot be written is used through a copy of the user's own.
    if (dataDir.isEmpty()) {
        filePath = shipped;
        return fail(CopyFailed, QStringLiteral("找不到保存站点数据库副本的用户数据文件夹。"));
    }
    const QString copy = QDir(dataDir).filePath(FileName);
    if (!QFileInfo::exists(copy)) {
        filePath = copy;
        if (!QFileInfo::exists(shipped))
            return fail(FileMissing,
                        QStringLiteral("找不到站点数据库文件 \"%1\"。").arg(shown(shipped)));
        QString why;
        if (!copySiteFile(shipped, copy, &why))
            return fail(
                CopyFailed,
                QStringLiteral("无法把站点数据库文件复制到 \"%1\": %2").arg(shown(copy), why));
    }
    return open(copy);
}

void SiteDatabase::close()
{
    if (!db.isValid())
        return;
    db.close();
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase(connectionName);
}

bool SiteDatabase::isOpen() const
{
    return db.isOpen();
}

bool SiteDatabase::canWriteIn(const QString &dir)
{
    if (!QFileInfo(dir).isDir())
        return false;
    QTemporaryFile probe(QDir(dir).filePath(QStringLiteral(".korvu-probe-XXXXXX")));
    return probe.open();
}

bool SiteDatabase::createFile(const QString &path, const QString &schema, QString *error)
{
    QString why;
    QTemporaryFile file(path + QStringLiteral(".XXXXXX")); // owner-only
    if (!file.open()) {
        why = file.errorString();
    } else {
        file.close();
        if (runSchema(file.fileName(), schema, &why)) {
            QFile::remove(path);
            if (file.rename(path)) {
                file.setAutoRemove(false);
                return true;
            }
            why = file.errorString();
        }
    }
    if (error)
        *error = why;
    return false;
}
