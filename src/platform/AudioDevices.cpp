#include "platform/AudioDevices.h"

#include <QAudioDevice>
#include <QMediaDevices>

bool HasVoiceDevice()
{
    return !QMediaDevices::audioInputs().isEmpty() || !QMediaDevices::audioOutputs().isEmpty();
}
