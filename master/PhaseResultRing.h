#pragma once

#include "master/PhaseResult.h"

#include <array>
#include <atomic>
#include <cstdint>

namespace Tavo
{
/** Corrections from the master thread to one processor's audio thread: a
    single-producer single-consumer queue of fixed capacity that never waits
    and never allocates. Only the master writes entries and the write count;
    only the audio thread moves the read count. */
class PhaseResultRing
{
public:
    static constexpr std::int32_t capacity = 65536;

    /** Master thread: appends one entry. The entry's fields are visible to a
        reader that sees the new count. */
    void publish (std::int32_t position, float phase, float phaseCopy);
    void publish (std::int32_t position, float phase, float phaseCopy, float marker);

    /** Master thread: the newest entry; a ring never written reads as the
        zero entry (position 0, phase 0). */
    PhaseResult newest() const;

    /** Audio thread: takes at most one due entry for the segment that starts
        at offset segmentStart of the block and may end it earlier (segmentEnd
        is shortened to the sample from which the entry applies). Sets
        targetAngle to the angle of the last entry taken. `delayedOffset` is
        lookahead minus the block's timeline start: position + delayedOffset is
        the entry's offset in the block. */
    void take (int segmentStart, int& segmentEnd, std::int32_t delayedOffset, float& targetAngle);

    /** Master side: entry number `count` of the sequence (still in the ring
        while fewer than `capacity` entries were written after it). */
    const PhaseResult& entry (std::int32_t count) const { return entries[slotOf (count)]; }

    std::int32_t writeCount() const { return resultWriteCount.load (std::memory_order_acquire); }
    std::int32_t readCount() const { return resultReadCount.load (std::memory_order_acquire); }

private:
    static std::size_t slotOf (std::int32_t count) { return static_cast<std::uint32_t> (count) % capacity; }

    std::array<PhaseResult, capacity> entries {};
    std::atomic<std::int32_t> resultReadCount { 0 };
    std::atomic<std::int32_t> resultWriteCount { 0 };
};
} // namespace Tavo
