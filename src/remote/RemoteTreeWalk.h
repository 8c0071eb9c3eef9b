#pragma once

#include "remote/RemoteActivity.h"
#include "remote/RemoteEntry.h"
#include "remote/RemoteError.h"
#include "remote/RemoteNameRules.h"

#include <QByteArray>
#include <QSet>
#include <QString>
#include <optional>

// A folder as a walk met it: its path as shown, and what names it for good
// (the directory the server confirmed, a canonical local path), by which it
// is told when met again.
struct TreeFolder
{
    QString path;
    QByteArray identity;
};

// One side of a walk: folders that can be entered and listed, on the server
// or on the disk. The walk moves through it one folder at a time.
class RemoteTreeSide
{
public:
    virtual ~RemoteTreeSide() = default;
    // Into `name`, an entry of the current folder; the refusal, when it is
    // no folder or may not be entered, is returned, anything else thrown.
    virtual std::optional<RemoteError> enter(const QString &name) = 0;
    // Where the last enter() led.
    virtual TreeFolder confirm() = 0;
    // The current folder's entries; identities where the side has them.
    virtual RemoteListing list() = 0;
    // Back to a folder confirmed before; false when that fails.
    virtual bool back(const TreeFolder &folder) = 0;
};

// Walks a tree depth first, the same way for every use (copies both ways,
// deletes on both sides), under the rules every walk keeps:
// - a link is never followed out of the tree: a link whose target the side
//   names, or a link to a folder whose folder turns out to lie elsewhere,
//   is passed over and said so;
// - it ends: a folder met again (by its identity, or by the server's
//   "unique" fact) is passed over, and so is anything deeper than MaxDepth;
// - a link to a folder that the server shows under the link's own path is
//   not followed when nothing else tells where it leads (a cycle could not
//   be told);
// - it goes on past an entry that fails or is refused (a subfolder that
//   cannot be entered, listed or made), reports each (ItemFailed,
//   EntrySkipped) and counts them; lines the side could not read count as
//   failed entries;
// - it stops between two entries when asked to, and ends at once on a drop,
//   a lost connection, a time-out.
// What happens to each entry is the Action's.
class RemoteTreeWalk
{
public:
    static constexpr int MaxDepth = 64;

    // What a walk does with what it meets.
    class Action
    {
    public:
        virtual ~Action() = default;
        // Why the walk passes over `entry` (of `folder`), or nothing to take it.
        virtual std::optional<RemoteText> passOver(const TreeFolder &folder,
                                                   const RemoteEntry &entry) = 0;
        // Whether links are walked (copies) or each taken as itself, by
        // file() (deletes: what a link leads to is not the user's to lose).
        virtual bool walksLinks() const { return true; }
        // A folder the action is done with without walking it: a delete
        // removes a link that a server lists as a folder as the link it is.
        // Throws what ends the walk.
        virtual bool doneWithout(const TreeFolder &folder, const RemoteEntry &entry)
        {
            Q_UNUSED(folder)
            Q_UNUSED(entry)
            return false;
        }
        // A subfolder was entered and listed: what stands for it is made;
        // a failure is returned (the walk reports it and goes on).
        virtual std::optional<RemoteError> intoFolder(const TreeFolder &folder,
                                                      const RemoteEntry &entry) = 0;
        // The subfolder is done and the walk back in `folder`, its parent; a
        // failure is returned (reported, the walk goes on).
        virtual std::optional<RemoteError> outOfFolder(const TreeFolder &folder,
                                                       const RemoteEntry &entry) = 0;
        // A file, or a link that is no folder. Throws on failure.
        virtual void file(const TreeFolder &folder, const RemoteEntry &entry) = 0;
        // The word of the item failures ("下载", "上传").
        virtual RemoteMessage doing() const = 0;
        // Why a special file and a folder met again are passed over.
        virtual RemoteMessage specialReason() const = 0;
        virtual RemoteMessage againReason() const = 0;
        // Why a link out of the tree is passed over.
        virtual RemoteText linkOutReason(const QString &target) const = 0;
    };

    // Where the walk reports and learns whether it goes on.
    class Host
    {
    public:
        virtual ~Host() = default;
        virtual void report(const RemoteActivity &activity) = 0;
        // The session's connection is still open: a failure concerns the
        // entry in hand.
        virtual bool connected() const = 0;
        virtual bool stopRequested() const = 0;
        virtual bool dropRequested() const = 0;
    };

    RemoteTreeWalk(RemoteTreeSide &side, Action &action, Host &host);

    // Walks `root`, where the side is: its entries (those `pattern` selects
    // at the top) and everything below. `rootIdentity`: what else names the
    // root for good (the server's "unique" fact), or empty.
    void walk(const TreeFolder &root, const QByteArray &rootIdentity,
              const RemoteNameRules::Pattern &pattern);
    // Entries that failed or were passed over, in all walks so far.
    int failures() const { return m_failures; }
    // Failures that concern one entry; anything else ends the walk.
    bool isItemError(const RemoteError &error) const;
    // Counts and reports one failed entry.
    void itemFailed(const QString &name, const RemoteError &error);

private:
    enum class Entered
    {
        Yes,
        No,
        NotAFolder
    };

    void walkFolder(const TreeFolder &folder, const RemoteListing &listing, int depth,
                    const RemoteNameRules::Pattern *pattern);
    Entered walkSubfolder(const TreeFolder &here, const RemoteEntry &entry,
                          const QByteArray &identity, int depth);
    void file(const TreeFolder &folder, const RemoteEntry &entry);
    void skip(const QString &name, const RemoteText &why, bool counts = true);
    void back(const TreeFolder &folder);
    void checkStop();
    bool outside(const QString &target) const;

    RemoteTreeSide &m_side;
    Action &m_action;
    Host &m_host;
    TreeFolder m_root;
    QSet<QByteArray> m_visited;
    int m_failures = 0;
};
