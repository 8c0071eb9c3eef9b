#include "remote/RemoteTreeWalk.h"

#include "remote/RemoteCodes.h"

namespace {

QByteArray visitedKey(const QByteArray &identity)
{
    return "p:" + identity;
}

QByteArray uniqueKey(const QByteArray &unique)
{
    return "u:" + unique;
}

// Whether `identity` is `root` or lies below it.
bool isWithin(const QByteArray &identity, const QByteArray &root)
{
    if (identity == root)
        return true;
    const QByteArray prefix = root.endsWith('/') ? root : root + '/';
    return identity.startsWith(prefix);
}

} // namespace

RemoteTreeWalk::RemoteTreeWalk(RemoteTreeSide &side, Action &action, Host &host)
    : m_side(side), m_action(action), m_host(host)
{}

void RemoteTreeWalk::checkStop()
{
    if (m_host.dropRequested())
        throw RemoteError::own(RemoteErrorKind::Dropped, RemoteErrorCode::ConnectionDropped,
                               RemoteMessage::ConnectionDropped);
    if (m_host.stopRequested()) {
        m_host.report(
            RemoteActivity::note(RemoteActivityKind::TransferStopped, RemoteMessage::CopyStopped));
        throw RemoteError::own(RemoteErrorKind::Stopped, RemoteErrorCode::StoppedByUser,
                               RemoteMessage::Stopped);
    }
}

void RemoteTreeWalk::skip(const QString &name, const RemoteText &why, bool counts)
{
    RemoteActivity activity = RemoteActivity::note(
        RemoteActivityKind::EntrySkipped,
        RemoteText(RemoteMessage::Skipped, {RemoteNameRules::printable(name), why}));
    activity.remotePath = name;
    m_host.report(activity);
    if (counts)
        ++m_failures;
}

void RemoteTreeWalk::itemFailed(const QString &name, const RemoteError &error)
{
    RemoteActivity activity = RemoteActivity::note(
        RemoteActivityKind::ItemFailed,
        RemoteText(RemoteMessage::ItemFailed,
                   {RemoteNameRules::printable(name), m_action.doing(), error.said()}));
    activity.remotePath = name;
    activity.count = error.number;
    activity.error = error;
    m_host.report(activity);
    ++m_failures;
}

bool RemoteTreeWalk::isItemError(const RemoteError &error) const
{
    if (!m_host.connected())
        return false;
    switch (error.kind) {
    case RemoteErrorKind::Refused:
    case RemoteErrorKind::NotFound:
    case RemoteErrorKind::NoPermission:
    case RemoteErrorKind::AlreadyExists:
    case RemoteErrorKind::Unsupported:
    case RemoteErrorKind::LocalFile:
    case RemoteErrorKind::TransferIncomplete:
    case RemoteErrorKind::CannotResume:
        return true;
    default:
        return false;
    }
}

void RemoteTreeWalk::back(const TreeFolder &folder)
{
    if (!m_side.back(folder))
        throw RemoteError::own(RemoteErrorKind::ProtocolError, RemoteErrorCode::BadReply,
                               RemoteMessage::CannotReturnUp);
}

bool RemoteTreeWalk::outside(const QString &target) const
{
    return !isWithin(target.toUtf8(), m_root.identity);
}

void RemoteTreeWalk::walk(const TreeFolder &root, const QByteArray &rootIdentity,
                          const RemoteNameRules::Pattern &pattern)
{
    m_root = root;
    m_visited.insert(visitedKey(root.identity));
    if (!rootIdentity.isEmpty())
        m_visited.insert(uniqueKey(rootIdentity));
    walkFolder(root, m_side.list(), 0, &pattern);
}

void RemoteTreeWalk::walkFolder(const TreeFolder &folder, const RemoteListing &listing, int depth,
                                const RemoteNameRules::Pattern *pattern)
{
    // Each line the listing could not read may have been an entry (reported
    // with the listing): the walk is not whole.
    m_failures += int(listing.unreadableLines); // bounded by the listing's size
    for (qsizetype i = 0; i < listing.entries.size(); ++i) {
        checkStop();
        const RemoteEntry &entry = listing.entries.at(i);
        if (entry.rawName == "." || entry.rawName == "..")
            continue;
        if (pattern && !pattern->matches(entry.name))
            continue;
        if (const std::optional<RemoteText> why = m_action.passOver(folder, entry)) {
            skip(entry.name, *why);
            continue;
        }
        // A walk that takes links as themselves never goes where they lead.
        if (m_action.walksLinks() && entry.isLink() && !entry.linkTarget.isEmpty() &&
            outside(entry.linkTarget)) {
            skip(entry.name, m_action.linkOutReason(entry.linkTarget));
            continue;
        }
        switch (entry.kind) {
        case RemoteEntryKind::Link:
        case RemoteEntryKind::LinkToFolder:
            if (!m_action.walksLinks()) {
                file(folder, entry);
                break;
            }
            [[fallthrough]];
        case RemoteEntryKind::Folder:
            if (walkSubfolder(folder, entry, listing.identities.value(i), depth) ==
                Entered::NotAFolder)
                file(folder, entry);
            break;
        case RemoteEntryKind::File:
            file(folder, entry);
            break;
        case RemoteEntryKind::Special:
            skip(entry.name, m_action.specialReason());
            break;
        }
    }
}

RemoteTreeWalk::Entered RemoteTreeWalk::walkSubfolder(const TreeFolder &here,
                                                      const RemoteEntry &entry,
                                                      const QByteArray &identity, int depth)
{
    if (m_action.doneWithout(here, entry))
        return Entered::Yes;
    if (depth + 1 > MaxDepth) {
        skip(entry.name, RemoteMessage::TooDeep);
        return Entered::No;
    }
    if (!identity.isEmpty() && m_visited.contains(uniqueKey(identity))) {
        skip(entry.name, m_action.againReason(), false);
        return Entered::No;
    }
    if (const std::optional<RemoteError> refusal = m_side.enter(entry.name)) {
        if (entry.isLink())
            return Entered::NotAFolder;
        itemFailed(entry.name, *refusal);
        return Entered::No;
    }
    TreeFolder there;
    try {
        there = m_side.confirm();
    } catch (const RemoteError &error) {
        if (!m_host.connected())
            throw;
        back(here);
        itemFailed(entry.name, error);
        return Entered::No;
    }
    if (entry.isLink()) {
        // A server that shows the link's own path gives no way to tell a
        // cycle, nor where the link leads.
        const QByteArray literal =
            (here.identity.endsWith('/') ? here.identity : here.identity + '/') + entry.rawName;
        if (identity.isEmpty() && there.identity == literal) {
            back(here);
            skip(entry.name, RemoteMessage::LinkNotFollowed);
            return Entered::No;
        }
        if (!isWithin(there.identity, m_root.identity)) {
            back(here);
            skip(entry.name, m_action.linkOutReason(there.path));
            return Entered::No;
        }
    }
    if (m_visited.contains(visitedKey(there.identity))) {
        back(here);
        skip(entry.name, m_action.againReason(), false);
        return Entered::No;
    }
    m_visited.insert(visitedKey(there.identity));
    if (!identity.isEmpty())
        m_visited.insert(uniqueKey(identity));
    // A folder that cannot be listed or made is one failed entry; the walk
    // goes on.
    RemoteListing listing;
    try {
        listing = m_side.list();
    } catch (const RemoteError &error) {
        if (!isItemError(error))
            throw;
        back(here);
        itemFailed(entry.name, error);
        return Entered::No;
    }
    if (const std::optional<RemoteError> failure = m_action.intoFolder(here, entry)) {
        back(here);
        itemFailed(entry.name, *failure);
        return Entered::No;
    }
    walkFolder(there, listing, depth + 1, nullptr);
    back(here);
    if (const std::optional<RemoteError> failure = m_action.outOfFolder(here, entry))
        itemFailed(entry.name, *failure);
    return Entered::Yes;
}

void RemoteTreeWalk::file(const TreeFolder &folder, const RemoteEntry &entry)
{
    try {
        m_action.file(folder, entry);
    } catch (const RemoteError &error) {
        if (!isItemError(error))
            throw;
        itemFailed(entry.name, error);
    }
}
