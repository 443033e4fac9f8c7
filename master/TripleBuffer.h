#pragma once

#include <array>
#include <atomic>
#include <cstddef>

namespace Tavo
{
/** Hands a whole value from one writer thread to one reader thread without
    locks or waiting: the writer fills a free slot and publishes it in one
    exchange; the reader takes the newest published slot and reads it
    undisturbed while the writer goes on with the other two. */
template <typename Value>
class TripleBuffer
{
public:
    /** Writer thread: makes `value` the newest. */
    void publish (const Value& value)
    {
        slots[size_t (writeSlot)] = value;
        const auto previous = shared.exchange (writeSlot | freshFlag, std::memory_order_acq_rel);
        writeSlot = previous & slotMask;
    }

    /** Reader thread: the newest value published, or the one read last time
        when nothing new has come (a default value before the first). */
    const Value& read()
    {
        if ((shared.load (std::memory_order_relaxed) & freshFlag) != 0)
        {
            const auto previous = shared.exchange (readSlot, std::memory_order_acq_rel);
            readSlot = previous & slotMask;
        }

        return slots[size_t (readSlot)];
    }

private:
    static constexpr int slotMask = 3;
    static constexpr int freshFlag = 4;

    std::array<Value, 3> slots {};
    std::atomic<int> shared { 1 }; // the middle slot, not fresh
    int writeSlot = 0;             // writer only
    int readSlot = 2;              // reader only
};
} // namespace Tavo
