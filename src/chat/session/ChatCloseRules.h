// What closing a chat window does ("关闭(&C)" or the close box): the window
// is destroyed only when nothing it holds is still under way, else hidden.
// A receive that runs goes on while the window is hidden; nothing is asked
// about it.
#pragma once

struct ChatCloseState
{
    bool offeredRowsWaiting = false; // the file panel lists offered items (also one being received)
    bool freeOnClose = true; // "CloseDialogDeleteRes"
    bool allReceipts = true; // every sent message has its receipt
    bool picturesComplete = true; // every outgoing picture is acknowledged or given up
    bool keptByMainWindow = false; // the main window keeps the window in its list
    bool peerFetchingOurFiles = false; // the peer still fetches files this window offered
    bool trimOnHide = true; // "AutoMemMin"
    bool clearOnClose = false; // "CloseClearContent"
};

struct ChatCloseDecision
{
    bool destroy = false;
    // Hidden now, but to go once nothing is pending any more ("CloseDialogDeleteRes").
    bool destroyWhenSettled = false;
    bool trimWorkingSet = false; // before hiding
    bool clearHistory = false;
};

ChatCloseDecision DecideChatClose(const ChatCloseState &state);
