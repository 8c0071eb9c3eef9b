#include "ServerSuites.h"

#include <QTest>

// Every behaviour of the suite over TLS, against vsftpd as it is set up for
// FTPS: TLS required for log-in and data, and every data connection
// resuming the control connection's TLS session. Built twice: explicit
// (AUTH TLS) and implicit TLS (KORVU_IMPLICIT_TLS).
class TestFtpsVsftpd : public VsftpdSuite
{
    Q_OBJECT

public:
    TestFtpsVsftpd()
        : VsftpdSuite(KORVU_IMPLICIT_TLS ? RemoteEncryption::Implicit
                                         : RemoteEncryption::ExplicitRequired)
    {}
};

QTEST_MAIN(TestFtpsVsftpd)
#include "tst_ftps_vsftpd.moc"
