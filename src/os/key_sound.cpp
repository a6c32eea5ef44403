#include "os/key_sound.h"

#include "os/program_folder.h"

#include <QAudioDevice>
#include <QFileInfo>
#include <QHash>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QUrl>

namespace tessaly {

namespace {

// One sound effect per file, made on first use and kept, so a key plays
// without loading its file again. A new key cuts off the sound still playing.
class EffectPlayer : public KeySoundPlayer {
public:
    void play(int n) override
    {
        const QString path = programFile(QString::number(n) + QStringLiteral(".wav"));
        if (!QFileInfo::exists(path) || QMediaDevices::audioOutputs().isEmpty())
            return;
        if (m_current)
            m_current->stop();
        QSoundEffect *&effect = m_effects[path];
        if (!effect) {
            effect = new QSoundEffect;
            effect->setSource(QUrl::fromLocalFile(path));
        }
        effect->play();
        m_current = effect;
    }

private:
    QHash<QString, QSoundEffect *> m_effects;   // live as long as the program
    QSoundEffect *m_current = nullptr;
};

KeySoundPlayer *realPlayer()
{
    static EffectPlayer *player = new EffectPlayer;
    return player;
}

KeySoundPlayer *g_player = nullptr;

} // namespace

void PlayKeySound(int n)
{
    if (n < 0 || n > 12)
        return;
    (g_player ? g_player : realPlayer())->play(n);
}

KeySoundPlayer *installKeySoundPlayer(KeySoundPlayer *player)
{
    KeySoundPlayer *previous = g_player;
    g_player = player;
    return previous;
}

SoundRecorder::SoundRecorder() : m_previous(installKeySoundPlayer(this)) {}

SoundRecorder::~SoundRecorder()
{
    installKeySoundPlayer(m_previous);
}

} // namespace tessaly
