#include "chat/session/ChatCloseRules.h"

ChatCloseDecision DecideChatClose(const ChatCloseState &s)
{
    ChatCloseDecision d;
    d.clearHistory = s.clearOnClose;
    d.destroy = !s.offeredRowsWaiting && s.freeOnClose && s.allReceipts && s.picturesComplete && !s.keptByMainWindow
        && !s.peerFetchingOurFiles;
    d.destroyWhenSettled = !d.destroy && s.freeOnClose && !s.keptByMainWindow;
    d.trimWorkingSet = !d.destroy && s.trimOnHide;
    return d;
}
