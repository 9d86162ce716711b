#include "LookbackWindow.h"

namespace corvane {

LookbackWindow::LookbackWindow(int span) : span_(span), highs_(span, true), lows_(span, false) {}

void LookbackWindow::Clear() {
    highs_.Clear();
    lows_.Clear();
}

void LookbackWindow::Add(int slot, float high, float low) {
    highs_.Add(slot, high);
    lows_.Add(slot, low);
}

float LookbackWindow::Highest(int slot) {
    return highs_.Front(slot - span_);
}

float LookbackWindow::Lowest(int slot) {
    return lows_.Front(slot - span_);
}

LookbackWindow::Queue::Queue(int span, bool highest)
    : ring_(static_cast<std::size_t>(span) + 1), span_(span), highest_(highest) {}

void LookbackWindow::Queue::Add(int slot, float value) {
    // A slot the new one beats can never again be the extreme of a window
    // that holds the new one.
    while (size_ > 0 && (highest_ ? At(size_ - 1).value <= value : At(size_ - 1).value >= value))
        --size_;
    // Slots that have left the window of the next slot go, so the ring never
    // holds more than the span.
    DropBefore(slot + 1 - span_);
    At(size_++) = {slot, value};
}

float LookbackWindow::Queue::Front(int oldestSlot) {
    DropBefore(oldestSlot);
    return At(0).value;
}

void LookbackWindow::Queue::DropBefore(int oldestSlot) {
    while (size_ > 0 && At(0).slot < oldestSlot) {
        head_ = (head_ + 1) % ring_.size();
        --size_;
    }
}

}  // namespace corvane
