// The message sound, behind one replaceable object like the prompter: the
// program installs the one that plays through the desktop's audio; until
// then (and in tests) nothing sounds.
#pragma once

#include "core/ScopedCurrent.h"

#include <QString>
#include <QStringList>
#include <memory>

class MessageSound
{
public:
    virtual ~MessageSound() = default;
    // Plays the WAV file, or the built-in sound when the file is empty or
    // cannot be played.
    virtual void Play(const QString &file) = 0;

    static MessageSound &current();
    // Installs the sound (null puts the silent one back); returns the
    // previous one. The caller keeps ownership.
    static MessageSound *setCurrent(MessageSound *sound);
};

// Counts what it was asked to play (tests).
class RecordingMessageSound final : public MessageSound
{
public:
    void Play(const QString &file) override { played.append(file); }
    QStringList played;
};

// Qt Multimedia: the file, else the built-in sound, else the system beep.
class QtMessageSound final : public MessageSound
{
public:
    QtMessageSound();
    ~QtMessageSound() override;
    void Play(const QString &file) override;

private:
    struct Players;
    std::unique_ptr<Players> m_players;
};

using MessageSoundScope = ScopedCurrent<MessageSound>;
