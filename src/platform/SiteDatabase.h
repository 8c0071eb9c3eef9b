#pragma once

#include <QSqlDatabase>
#include <QString>

// Column names of the site table "mysit". The site name is reached by its
// position (SiteDatabase::NameColumn), every other column by its name.
namespace SiteColumns {
inline const QString Address = QStringLiteral("站点地址");
inline const QString Port = QStringLiteral("端口");
inline const QString User = QStringLiteral("用户名");
inline const QString Password = QStringLiteral("密码");
inline const QString TransferType = QStringLiteral("传输类型");
inline const QString Timeout = QStringLiteral("超时");
inline const QString Passive = QStringLiteral("被动模式");
inline const QString Anonymous = QStringLiteral("匿名");
// Columns that came later, in this order at the end of the table; files
// made before them get them added when opened, empty.
inline const QString Encoding = QStringLiteral("字符集");
inline const QString Encryption = QStringLiteral("加密");
// "FTP" or "SFTP"; empty: FTP, as every site was before.
inline const QString Protocol = QStringLiteral("协议");
inline const QString KeyFile = QStringLiteral("密钥文件");
} // namespace SiteColumns

// The site file "korvu.sit": an SQLite database holding the table "mysit",
// one saved site per row. The file ships with the program (the build makes
// it from resources/sites.sql); Korvu never creates it at run time, so a
// missing or damaged file is reported, not silently replaced by an empty one.
// An installed program ships it as the template of each user's own copy.
//
// The file keeps passwords as typed. Every file made here (the shipped file
// and the user's copy) is readable and writable by its owner only.
//
// Each instance has a connection of its own, so several may be open at once
// (the site manager, a test looking at the same file).
class SiteDatabase
{
public:
    // The numbers shown in the site manager's error box ("错误号:").
    enum Error
    {
        NoError = 0,
        FileMissing = 1001,    // no file at the expected place
        FileUnreadable = 1002, // not a readable file, or not an SQLite database
        TableMissing = 1003,   // the file has no table "mysit"
        ColumnsMissing = 1004, // "mysit" lacks a column the site manager binds
        CopyFailed = 1005,     // the user's copy could not be made
        WriteFailed = 1006,    // adding, saving or deleting a site failed
        DriverMissing = 1007,  // Qt's SQLite driver is not installed
    };

    static inline const QString FileName = QStringLiteral("korvu.sit");
    static inline const QString TableName = QStringLiteral("mysit");
    static constexpr int NameColumn = 1;

    SiteDatabase();
    ~SiteDatabase();
    SiteDatabase(const SiteDatabase &) = delete;
    SiteDatabase &operator=(const SiteDatabase &) = delete;

    // Opens an existing site file for reading and writing and checks that it
    // holds the site table. Never creates a file.
    bool open(const QString &path);
    // Opens the program's site file: in a build tree korvu.sit beside the
    // program; installed (ProgramFiles), or where the program's folder cannot
    // be written, the user's own copy in the application data folder, copied
    // from the shipped file the first time.
    bool openProgramFile();
    // The same with the folders and the decision given, for tests.
    bool openProgramFile(const QString &shippedDir, const QString &dataDir, bool useShippedFile);
    void close();

    bool isOpen() const;
    QSqlDatabase database() const { return db; }
    QString path() const { return filePath; }
    int errorNumber() const { return errorNo; }
    QString errorDescription() const { return errorText; }

    // Whether a file can be created in `dir` (tried, not guessed from the
    // permission bits, which say little for root or read-only mounts).
    static bool canWriteIn(const QString &dir);
    // Makes a new site file at `path` from the SQL statements in `schema`,
    // replacing what is there. The build uses it to make the shipped file.
    static bool createFile(const QString &path, const QString &schema, QString *error);

private:
    bool fail(Error number, const QString &description);
    bool checkTable();

    QString connectionName;
    QSqlDatabase db;
    QString filePath;
    int errorNo = NoError;
    QString errorText;
};
