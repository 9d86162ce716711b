#pragma once

#include <algorithm>
#include <bit>
#include <vector>

namespace corvane {

// The highest high and the lowest low of one security's last `span` day
// slots, kept as the slots pass, in constant time per slot (the van Herk /
// Gil-Werman sliding window): the slots fall into blocks of `span`; each
// slot keeps the extremes from its block's start up to itself, and, once its
// block is complete, from itself to the block's end. A window of `span`
// slots covers the end of one block and the start of the next, so its
// extremes are those of two stored values. A monotonic queue gives the same
// in amortised constant time but with data-dependent branches at every
// step, which cost several times as much on the breadth's every bar. Inline
// for the same reason.
class LookbackWindow {
public:
    explicit LookbackWindow(int span)
        : span_(span),
          mask_(std::bit_ceil(2u * static_cast<unsigned>(span)) - 1),
          slots_(mask_ + 1) {}

    // Starts again at slot 0.
    void Clear() { inBlock_ = 0; }
    // The slot is final with these values; slots come one after another
    // from 0.
    void Add(int slot, float high, float low) {
        if (inBlock_ == 0) {
            highFromStart_ = high;
            lowFromStart_ = low;
        } else {
            highFromStart_ = std::max(highFromStart_, high);
            lowFromStart_ = std::min(lowFromStart_, low);
        }
        const unsigned at = Place(slot);
        Slot& added = slots_[at];
        added.high = high;
        added.low = low;
        added.highFromStart = highFromStart_;
        added.lowFromStart = lowFromStart_;
        if (++inBlock_ < span_) return;
        // The block is complete: each of its slots gets its extremes to the end.
        inBlock_ = 0;
        float highest = high, lowest = low;
        for (int back = 0; back < span_; ++back) {
            Slot& earlier = slots_[(at - static_cast<unsigned>(back)) & mask_];
            highest = std::max(highest, earlier.high);
            lowest = std::min(lowest, earlier.low);
            earlier.highToEnd = highest;
            earlier.lowToEnd = lowest;
        }
    }
    // Over the slots from slot - span to slot - 1, all added; slot >= span.
    float Highest(int slot) const {
        return std::max(slots_[Place(slot - span_)].highToEnd,
                        slots_[Place(slot - 1)].highFromStart);
    }
    float Lowest(int slot) const {
        return std::min(slots_[Place(slot - span_)].lowToEnd, slots_[Place(slot - 1)].lowFromStart);
    }

private:
    struct Slot {
        float high, low;
        float highFromStart, lowFromStart;  // from the block's first slot to this one
        float highToEnd, lowToEnd;          // from this slot to the block's last one
    };

    // The last two spans of slots are kept, in a ring of a power of two.
    unsigned Place(int slot) const { return static_cast<unsigned>(slot) & mask_; }

    int span_;
    unsigned mask_;
    int inBlock_ = 0;  // slots of the current block added so far
    float highFromStart_ = 0, lowFromStart_ = 0;
    std::vector<Slot> slots_;
};

}  // namespace corvane
