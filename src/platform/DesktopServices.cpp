#include "platform/DesktopServices.h"

#include <QDesktopServices>
#include <atomic>

namespace {

class InertDesktopServices final : public DesktopServices
{
public:
    bool openUrl(const QUrl &) override { return false; }
};

InertDesktopServices g_inert;
std::atomic<DesktopServices *> g_current { nullptr };

} // namespace

DesktopServices &DesktopServices::current()
{
    DesktopServices *s = g_current.load();
    return s ? *s : g_inert;
}

DesktopServices *DesktopServices::setCurrent(DesktopServices *services)
{
    return g_current.exchange(services);
}

bool QtDesktopServices::openUrl(const QUrl &url)
{
    return url.isValid() && QDesktopServices::openUrl(url);
}
