#pragma once

#include <string>

namespace corvane {

// The sound card: the download-complete signal plays through it. Without a
// sound device both calls do nothing.
class SoundOutput {
public:
    virtual ~SoundOutput() = default;
    // Starts playing a wave file and returns at once; a missing file plays
    // nothing.
    virtual void PlayFile(const std::string& path) = 0;
    // Sounds a tone and returns when it has ended.
    virtual void Beep(int frequencyHz, int durationMs) = 0;
};

}  // namespace corvane
