// What long face operations (adding many faces, importing a package or a
// face folder) report while they run: the progress window implements it,
// tests record it.
#pragma once

#include <QString>

class FaceProgress
{
public:
    virtual ~FaceProgress() = default;
    virtual void SetRange(int lower, int upper) = 0;
    // Shows the position (the window pumps the event loop first); returns
    // the previous position.
    virtual int SetPos(int position) = 0;
    // True (once) when the user pressed cancel.
    virtual bool CheckCancel() = 0;
};

// (position − lower) × 100 / (upper − lower), reduced modulo 100 unless it
// is exactly 100; 0 for an empty range.
int FaceProgressPercent(int position, int lower, int upper);
// "正在<verb>第 <position> 个表情，共 <upper> 个 (<percent>%)".
QString FaceProgressText(const QString &verb, int position, int lower, int upper);
// The window's caption: "正在" + verb + "表情库，请稍候...".
QString FaceProgressCaption(const QString &verb);
