#include "platform/TrustedCertificates.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

struct Entry
{
    QString host;
    int port = 0;
    QString fingerprint;
};

// Host names are not case-sensitive; an address literal is kept as typed.
QString hostKey(const QString &host)
{
    return host.trimmed().toLower();
}

// "ab:cd" and "ABCD" name the same certificate.
QString fingerprintKey(const QString &fingerprint)
{
    QString key = fingerprint.toUpper();
    key.remove(QLatin1Char(':'));
    return key;
}

QList<Entry> readEntries(const QString &path)
{
    QList<Entry> entries;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return entries;
    while (!file.atEnd()) {
        const QStringList fields =
            QString::fromUtf8(file.readLine()).trimmed().split(QLatin1Char('\t'));
        bool ok = false;
        const int port = fields.value(1).toInt(&ok);
        // A damaged line trusts nothing.
        if (fields.size() == 3 && ok && !fields.at(2).isEmpty())
            entries.append({fields.at(0), port, fields.at(2)});
    }
    return entries;
}

} // namespace

TrustedCertificates::TrustedCertificates(const QString &path) : filePath(path)
{
    if (filePath.isEmpty())
        filePath = QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation))
                       .filePath(FileName);
}

TrustedCertificates::Verdict TrustedCertificates::check(const QString &host, int port,
                                                        const QString &fingerprint,
                                                        QString *remembered) const
{
    for (const Entry &entry : readEntries(filePath)) {
        if (entry.host != hostKey(host) || entry.port != port)
            continue;
        if (remembered)
            *remembered = entry.fingerprint;
        return fingerprintKey(entry.fingerprint) == fingerprintKey(fingerprint) ? Verdict::Trusted
                                                                                : Verdict::Changed;
    }
    return Verdict::Unknown;
}

bool TrustedCertificates::remember(const QString &host, int port, const QString &fingerprint)
{
    QList<Entry> entries = readEntries(filePath);
    entries.removeIf(
        [&](const Entry &entry) { return entry.host == hostKey(host) && entry.port == port; });
    entries.append({hostKey(host), port, fingerprint});

    if (!QDir().mkpath(QFileInfo(filePath).absolutePath()))
        return false;
    QSaveFile file(filePath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return false;
    // Owner-only before a byte is written: it says which servers the user
    // trusts.
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    for (const Entry &entry : std::as_const(entries))
        file.write(QStringLiteral("%1\t%2\t%3\n")
                       .arg(entry.host)
                       .arg(entry.port)
                       .arg(entry.fingerprint)
                       .toUtf8());
    return file.commit();
}
