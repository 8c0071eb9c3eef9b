#include "transfer/VerifiedOutcome.h"

#include "remote/RemoteSession.h"

QString VerifiedOutcome(const QString &outcome, const RemoteSession &session)
{
    return session.TransferVerified() ? outcome + QStringLiteral("（已校验）") : outcome;
}
