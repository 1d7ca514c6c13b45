#pragma once
// Event sounds: a wave file played by the desktop's command-line player (pw-play, paplay
// or aplay, the first one installed). Playing never waits for the sound; without a player
// the program stays silent.

#include <QString>

namespace morvaline {

class SoundPlayer {
public:
    // Looks for a player on the PATH.
    SoundPlayer();
    // A given player program (empty: silent), for tests.
    explicit SoundPlayer(QString program) : program_(std::move(program)) {}

    bool available() const { return !program_.isEmpty(); }
    const QString& program() const { return program_; }
    // Starts playing and returns at once; false when nothing could be started.
    bool play(const QString& waveFile) const;

private:
    QString program_;
};

}  // namespace morvaline
