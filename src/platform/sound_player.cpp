#include "platform/sound_player.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace morvaline {

SoundPlayer::SoundPlayer() {
    for (const char* name : {"pw-play", "paplay", "aplay"}) {
        program_ = QStandardPaths::findExecutable(name);
        if (!program_.isEmpty()) return;
    }
}

bool SoundPlayer::play(const QString& waveFile) const {
    if (program_.isEmpty() || !QFileInfo(waveFile).isFile()) return false;
    // A detached process: the window never waits for the sound, and a player that hangs
    // on a busy device keeps nothing of ours waiting either.
    return QProcess::startDetached(program_, {waveFile});
}

}  // namespace morvaline
