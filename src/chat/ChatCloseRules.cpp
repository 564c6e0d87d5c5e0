#include "chat/ChatCloseRules.h"

ChatCloseDecision DecideChatClose(const ChatCloseState &s)
{
    ChatCloseDecision d;
    d.clearHistory = s.clearOnClose;
    d.destroy = !s.offeredRowsWaiting && s.freeOnClose && s.allReceipts && s.picturesComplete && !s.keptByMainWindow
        && !s.peerFetchingOurFiles;
    d.trimWorkingSet = !d.destroy && s.trimOnHide;
    return d;
}
