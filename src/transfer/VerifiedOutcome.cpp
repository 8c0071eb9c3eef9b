#include "transfer/VerifiedOutcome.h"

#include "remote/RemoteSession.h"

QString VerifiedOutcome(const QString &outcome, const RemoteSession &session)
{
    return VerifiedOutcome(outcome, session.TransferVerified());
}

QString VerifiedOutcome(const QString &outcome, bool verified)
{
    return verified ? outcome + QStringLiteral("（已校验）") : outcome;
}
