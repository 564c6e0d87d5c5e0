// The program's own pictures besides the head icons: program and tray
// icons, the main toolbar strip and the help pictures.
#pragma once

#include <QIcon>
#include <QPixmap>

enum class TrayArt { Online, Away, Hidden, Message };

// Makes the pictures of res/ available (the resources live in a static
// library); called by every accessor, cheap after the first time.
void EnsureArtResources();
QIcon ProgramIcon();
QIcon TrayArtIcon(TrayArt art);
// Button pictures of the main toolbar, 16 × 16, index 0..7; null outside.
QPixmap ToolbarPixmap(int index);
constexpr int kToolbarPixmapCount = 8;
// The help dialog's bird with its wing up (0) or down (1).
QPixmap HelpPicture(int frame);
