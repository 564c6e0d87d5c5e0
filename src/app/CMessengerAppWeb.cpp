// The chat windows' web panes: the notice page arrives after the start and
// every pane showing the web-access page loads it again.
#include "app/CMessengerApp.h"

#include "chat/ChatWebPane.h"
#include "net/VersionFetch.h"

int CMessengerApp::RefreshChatWebPanes()
{
    return ChatWebPane::RefreshAll(GetWebAccessPagePath());
}
