#pragma once

#include "Clock.h"
#include "Prompt.h"

namespace corvane {

// What every pane needs to reach the store: where its messages go and what
// date new securities get. The panes open a StoreReader or StoreWriter for
// one action each, so nothing of a directory is kept between actions.
class CCorvaneDoc {
public:
    CCorvaneDoc(Prompt& prompt, const Clock& clock) : prompt_(prompt), clock_(clock) {}

    Prompt& GetPrompt() const { return prompt_; }
    const Clock& GetClock() const { return clock_; }

private:
    Prompt& prompt_;
    const Clock& clock_;
};

}  // namespace corvane
