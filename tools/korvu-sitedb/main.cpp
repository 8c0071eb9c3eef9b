// Makes the site file that ships beside the program from its schema:
//   korvu-sitedb SCHEMA.sql OUTPUT.sit
#include "platform/SiteDatabase.h"

#include <QCoreApplication>
#include <QFile>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    QTextStream err(stderr);
    if (args.size() != 3) {
        err << "usage: korvu-sitedb SCHEMA.sql OUTPUT.sit\n";
        return 2;
    }
    QFile schema(args.at(1));
    if (!schema.open(QIODevice::ReadOnly | QIODevice::Text)) {
        err << "korvu-sitedb: " << args.at(1) << ": " << schema.errorString() << '\n';
        return 1;
    }
    QString error;
    if (!SiteDatabase::createFile(args.at(2), QString::fromUtf8(schema.readAll()), &error)) {
        err << "korvu-sitedb: " << args.at(2) << ": " << error << '\n';
        return 1;
    }
    return 0;
}
