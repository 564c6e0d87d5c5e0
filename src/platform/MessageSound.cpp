#include "platform/MessageSound.h"

#include <QApplication>
#include <QFileInfo>
#include <QSoundEffect>
#include <QUrl>

static void initSoundResources()
{
    Q_INIT_RESOURCE(sounds);
}

namespace {

class SilentSound final : public MessageSound
{
public:
    void Play(const QString &) override {}
};

SilentSound g_silent;
MessageSound *g_current = &g_silent;

} // namespace

MessageSound &MessageSound::current()
{
    return *g_current;
}

MessageSound *MessageSound::setCurrent(MessageSound *sound)
{
    MessageSound *previous = g_current == &g_silent ? nullptr : g_current;
    g_current = sound ? sound : &g_silent;
    return previous;
}

struct QtMessageSound::Players
{
    QSoundEffect file;
    QSoundEffect builtIn;
    QString loadedFile;
};

QtMessageSound::QtMessageSound() = default;

QtMessageSound::~QtMessageSound() = default;

void QtMessageSound::Play(const QString &file)
{
    // The audio output is opened with the first sound, not at start-up.
    if (!m_players) {
        initSoundResources();
        m_players = std::make_unique<Players>();
        m_players->builtIn.setSource(QUrl(QStringLiteral("qrc:/kwel/sounds/message.wav")));
    }
    if (!file.isEmpty() && QFileInfo(file).isFile()) {
        if (m_players->loadedFile != file) {
            m_players->file.setSource(QUrl::fromLocalFile(file));
            m_players->loadedFile = file;
        }
        if (m_players->file.status() != QSoundEffect::Error) {
            m_players->file.play();
            return;
        }
    }
    if (m_players->builtIn.status() != QSoundEffect::Error) {
        m_players->builtIn.play();
        return;
    }
    QApplication::beep();
}
