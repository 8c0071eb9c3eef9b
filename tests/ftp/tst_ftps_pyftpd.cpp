#include "ServerSuites.h"

#include <QTest>

// Every behaviour of the suite over TLS, against pyftpdlib's TLS handler.
// Built twice: explicit (AUTH TLS) and implicit TLS (KORVU_IMPLICIT_TLS).
class TestFtpsPyftpd : public PyFtpdSuite
{
    Q_OBJECT

public:
    TestFtpsPyftpd()
        : PyFtpdSuite(KORVU_IMPLICIT_TLS ? RemoteEncryption::Implicit
                                         : RemoteEncryption::ExplicitRequired)
    {}
};

QTEST_MAIN(TestFtpsPyftpd)
#include "tst_ftps_pyftpd.moc"
