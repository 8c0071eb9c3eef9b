#pragma once

#include <QString>

// Server certificates the user chose to trust always, by host and port: the
// SHA-256 fingerprint of one certificate for each. They live in a small text
// file in the user's data folder ("trusted-certificates", one
// "host<TAB>port<TAB>fingerprint" line each), written whole through
// QSaveFile and readable by its owner only.
class TrustedCertificates
{
public:
    enum class Verdict
    {
        Unknown, // nothing remembered for this host and port
        Trusted, // the very certificate remembered
        Changed  // another certificate than the one remembered
    };

    static inline const QString FileName = QStringLiteral("trusted-certificates");

    // The file in the application data folder (QStandardPaths), or `path`.
    explicit TrustedCertificates(const QString &path = QString());

    QString path() const { return filePath; }
    // What is known of `fingerprint` for the host and port; `remembered`
    // receives the fingerprint on file, if any.
    Verdict check(const QString &host, int port, const QString &fingerprint,
                  QString *remembered = nullptr) const;
    // Trusts `fingerprint` for the host and port from now on, in place of
    // whatever was trusted there. False when the file cannot be written.
    bool remember(const QString &host, int port, const QString &fingerprint);

private:
    QString filePath;
};
