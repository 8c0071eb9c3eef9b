#pragma once

#include <QString>

class SessionLog;

// Deletes a folder on the disk with everything in it, one walk
// (RemoteTreeWalk) over the disk's side, by the rules of the server's tree
// delete: a link, chosen or met inside, is removed as the link it is and
// never followed; a folder goes once its contents are gone; a refusal is
// logged and the walk goes on. Dot files stay when the pane hides them:
// what the user does not see is not his to lose unasked (their folder then
// stays too).
class LocalTreeDelete
{
public:
    LocalTreeDelete(SessionLog &log, bool hiddenShown);

    // False, with the reason, when the folder `path` remains.
    bool remove(const QString &path, QString *error);

private:
    class Host;
    class Delete;

    SessionLog &m_log;
    bool m_hiddenShown;
};
