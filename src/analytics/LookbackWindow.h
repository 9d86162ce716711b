#pragma once

#include <vector>

namespace corvane {

// The highest high and the lowest low of one security's last `span` day
// slots, kept as the slots pass: each slot joins and leaves each of two
// monotonic queues once, so a query costs no scan of the span.
class LookbackWindow {
public:
    explicit LookbackWindow(int span);

    void Clear();
    // The slot is final with these values; slots come in rising order.
    void Add(int slot, float high, float low);
    // Over the slots from slot - span to slot - 1; at least one of them must
    // have been added.
    float Highest(int slot);
    float Lowest(int slot);

private:
    // Slots with their values, oldest first; no slot is followed by one whose
    // value it could beat (a lower high, or a higher low), so the first one
    // is the window's extreme.
    class Queue {
    public:
        Queue(int span, bool highest);
        void Clear() { head_ = size_ = 0; }
        void Add(int slot, float value);
        float Front(int oldestSlot);

    private:
        struct Entry {
            int slot;
            float value;
        };
        Entry& At(std::size_t i) { return ring_[(head_ + i) % ring_.size()]; }
        void DropBefore(int oldestSlot);

        std::vector<Entry> ring_;
        std::size_t head_ = 0;
        std::size_t size_ = 0;
        int span_;
        bool highest_;
    };

    int span_;
    Queue highs_;
    Queue lows_;
};

}  // namespace corvane
