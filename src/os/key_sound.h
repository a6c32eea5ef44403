#pragma once
// Key sounds: the numbered wave files 0.wav … 12.wav of the program folder.
// Playing is fire-and-forget and silent when the file or an audio device is
// missing. Tests install a SoundRecorder, which keeps the numbers instead.
#include <QList>

namespace tessaly {

class KeySoundPlayer {
public:
    virtual ~KeySoundPlayer() = default;
    virtual void play(int n) = 0;
};

// Plays n.wav (n from 0 to 12) through the installed player; nothing for other n.
void PlayKeySound(int n);

// Replaces the player (nullptr restores the real one). Returns the previous one.
KeySoundPlayer *installKeySoundPlayer(KeySoundPlayer *player);

// Records the sounds played while it lives. Scoped like ScriptedResponder.
class SoundRecorder : public KeySoundPlayer {
public:
    SoundRecorder();
    ~SoundRecorder() override;
    SoundRecorder(const SoundRecorder &) = delete;
    SoundRecorder &operator=(const SoundRecorder &) = delete;

    void play(int n) override { m_played << n; }
    const QList<int> &played() const { return m_played; }
    void clear() { m_played.clear(); }

private:
    QList<int> m_played;
    KeySoundPlayer *m_previous = nullptr;
};

} // namespace tessaly
