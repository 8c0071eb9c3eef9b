#pragma once

#include "platform/Globals.h"

#include <QString>
#include <QTemporaryDir>
#include <QVariant>

// A scratch copy of the shipped site file, and helpers that read and write
// it behind the site manager's back.
struct SiteRow
{
    QString name;
    QString address;
    QString port = QStringLiteral("21");
    QString user;
    QString password;
    QString type;
    QString timeout = QStringLiteral("30");
    QVariant passive; // 0, 1, 2 or null
    QVariant anonymous;
};

class SiteFile
{
public:
    SiteFile(); // copies the shipped korvu.sit into a temporary folder
    QString path() const { return file; }
    QString dir() const { return temp.path(); }
    void insert(const SiteRow &row) const;
    QList<SiteRow> rows() const; // in table order
    void exec(const QString &sql) const;

    static QString shippedFile();

private:
    QTemporaryDir temp;
    QString file;
};

// Session globals that no dialog would produce, to see that a dialog left
// them alone.
Globals previousSession();
bool sameSession(const Globals &a, const Globals &b);
