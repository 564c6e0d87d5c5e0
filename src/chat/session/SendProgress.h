// What a running send shows, in the sender's chat window and in the transfer
// monitor: the progress text of a single file or of a folder, and the
// percentage, from the file server's value snapshot.
#pragma once

#include "net/FileTransferState.h"

#include <QString>

struct SendProgress
{
    QString text;
    int percent = 0; // 0..100, also for a file that grew while it was sent
};

SendProgress SendProgressOf(const TransferState &state);
