// Windows "global memory blocks" are QByteArray here: an empty array stands
// for "none", and the array owns its bytes.
#pragma once

#include <QByteArray>

// Releases the block and leaves "none" behind; an empty block is ignored.
inline void FreeGlobalBlock(QByteArray &block)
{
    block = QByteArray();
}
