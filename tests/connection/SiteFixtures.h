#pragma once

#include "platform/Globals.h"

#include <QTemporaryDir>
#include <QVariantMap>

// A scratch copy of the shipped site file, read and written behind the site
// manager's back.
class SiteFile
{
public:
    SiteFile();
    QString path() const { return file; }
    QString dir() const { return temp.path(); }
    // Adds a site; `more` holds other columns by name.
    void insert(const QString &name, const QString &address, const QVariantMap &more = {}) const;
    int count() const;
    QVariant cell(int row, const QString &column) const; // rows in table order
    void exec(const QString &sql) const;

    static QString shippedFile();

private:
    QTemporaryDir temp;
    QString file;
};

// Session globals no dialog would produce, to see that a dialog left them be.
Globals previousSession();
bool sameSession(const Globals &a, const Globals &b);
