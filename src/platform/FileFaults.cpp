#include "FileFaults.h"

#include <cerrno>

namespace corvane {
namespace {

struct FaultState {
    FilePlan plan;
    int seen = 0;
    std::uint64_t written = 0;
    bool hit = false;
};

FaultState& State() {
    static FaultState state;
    return state;
}

}  // namespace

void ArmFileFaults(const FilePlan& plan) {
    State() = FaultState{plan};
}

void DisarmFileFaults() {
    State() = FaultState{};
}

int FileChangesSeen() {
    return State().seen;
}

bool FileFaultHit() {
    return State().hit;
}

bool FileChangeAllowed(const std::filesystem::path& path, std::uint64_t bytes) {
    FaultState& state = State();
    if (state.plan.kind == FilePlan::Kind::None) return true;
    if (!state.plan.file.empty() && path.filename() != state.plan.file) return true;
    ++state.seen;
    switch (state.plan.kind) {
        case FilePlan::Kind::Fail:
            if (state.seen != state.plan.at) return true;
            break;
        case FilePlan::Kind::Crash:
            if (state.seen < state.plan.at) return true;
            break;
        case FilePlan::Kind::DiskFull:
            if (state.written + bytes <= state.plan.bytes) {
                state.written += bytes;
                return true;
            }
            state.hit = true;
            errno = ENOSPC;
            return false;
        case FilePlan::Kind::None:
            return true;
    }
    state.hit = true;
    errno = EIO;
    return false;
}

}  // namespace corvane
