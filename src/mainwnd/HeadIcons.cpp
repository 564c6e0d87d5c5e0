#include "mainwnd/HeadIcons.h"

#include "controls/HeadIcons.h"

QPixmap HeadImagePixmap(int image, int size)
{
    // One image list for the whole program: the controls layer draws it.
    return HeadIconPixmap(image, size);
}
