#include "mainwnd/PanelTray.h"

#include "core/StatusBits.h"

#include "controls/ProgramArt.h"

#include <QFileInfo>
#include <QImageReader>

TrayIconKind TrayIconKindFor(uint32_t statusValue, bool away)
{
    if (statusValue & OwnStatus::Hidden)
        return TrayIconKind::Hidden;
    return away ? TrayIconKind::Away : TrayIconKind::Online;
}

QIcon LoadTrayIcon(TrayIconKind kind, const QString &configuredFile)
{
    if (!configuredFile.isEmpty() && QFileInfo(configuredFile).isFile()) {
        QImageReader reader(configuredFile);
        const QImage first = reader.read();
        if (!first.isNull())
            return QIcon(QPixmap::fromImage(first));
    }
    return TrayArtIcon(TrayArt(int(kind)));
}

bool TrayBlinker::Step(bool restart)
{
    if (restart)
        m_steps = 0;
    const bool message = m_steps % 2 == 0;
    ++m_steps;
    return message;
}
