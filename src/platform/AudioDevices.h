// Whether the desktop offers a sound device (what voice chat would record
// from and play to).
#pragma once

bool HasVoiceDevice();
