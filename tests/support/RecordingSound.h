#pragma once

#include <string>
#include <vector>

#include "SoundOutput.h"

namespace corvane::test {

// Stands in for the sound card: records what would have sounded.
class RecordingSound : public SoundOutput {
public:
    void PlayFile(const std::string& path) override { played.push_back("file " + path); }
    void Beep(int frequencyHz, int durationMs) override {
        played.push_back("beep " + std::to_string(frequencyHz) + " " + std::to_string(durationMs));
    }
    std::vector<std::string> played;
};

}  // namespace corvane::test
