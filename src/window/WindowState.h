#pragma once

// The main window's own state, shared by reference with the controllers that
// act on it.
struct WindowState
{
    // Which of the three list panes is active; exactly one at a time once a
    // pane has had the focus (the local pane at start).
    bool LocalHasFocus = true;
    bool RemoteHasFocus = false;
    bool QueueHasFocus = false;
    bool ConnectionLost = false; // the last FTP error ended the session
    bool Dragging = false;       // a drag between the panes has started
    bool MakeDirAnswered = false;
    bool MakeDirSucceeded = false;
    bool SplitterMoving = false;
    // A connection was attempted: there is a session to reconnect to.
    bool SessionStarted = false;
};
