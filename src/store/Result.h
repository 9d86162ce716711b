#pragma once

namespace corvane {

// Outcome of an operation that can fail. The numeric values are the 0 and 1
// that callers and scripts see.
enum class [[nodiscard]] Result{Ok = 0, Failed = 1};

inline bool Succeeded(Result result) {
    return result == Result::Ok;
}

}  // namespace corvane
