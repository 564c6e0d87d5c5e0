// Size and progress texts of the file transfers ("1.5MB", "512/1.0MB 512KB/s(50%)").
//
// Every size is computed in 64-bit arithmetic: files and folders of several
// gigabytes stay in megabytes ("5120.0MB") and nothing wraps around. Negative
// inputs (a clock that went backwards, a bad size field) count as 0.
#pragma once

#include <QString>
#include <QtGlobal>

enum FileSizeFlag : int {
    FileSizeBlankBeforeUnit = 1, // "12 KB" instead of "12KB"
    FileSizeWholeMegabytes = 2, // "3MB" instead of "3.4MB"
};

// Below 1,048,576 bytes: whole kilobytes, rounded up ("0KB" for 0 bytes,
// "1KB" for 1..1024 bytes, "1024KB" for 1,048,575 bytes). From there on:
// megabytes with one decimal digit, both parts truncated ("1.5MB"), or whole
// truncated megabytes with FileSizeWholeMegabytes.
QString FormatFileSize(qint64 bytes, int flags = 0);

// Progress of a transfer of known size: the bytes done without their unit,
// "/", the total, a blank, the rate per second and the percentage, e.g.
// "512/1.0MB 512KB/s(50%)". An elapsed time of 0 counts as 10 ms, a total of
// 0 as 1 byte; the percentage is kept within 0..100.
QString FormatTransferProgress(qint64 elapsedMs, qint64 bytesDone, qint64 bytesTotal);

// Progress of a folder of unknown size: "12.5MB/3文件(1.2MB/s)". An elapsed
// time of 0 counts as 1 ms.
QString FormatFileCountProgress(qint64 elapsedMs, qint64 bytesDone, int itemsDone);
