#pragma once

#include <QSoundEffect>
#include <QTemporaryDir>

#include <memory>

#include "SoundOutput.h"

namespace corvane {

// Plays through Qt Multimedia. The beep is a generated sine tone.
class QtSoundOutput : public SoundOutput {
public:
    void PlayFile(const std::string& path) override;
    void Beep(int frequencyHz, int durationMs) override;

private:
    QSoundEffect effect_;
    std::unique_ptr<QTemporaryDir> toneDir_;  // made at the first beep
};

}  // namespace corvane
