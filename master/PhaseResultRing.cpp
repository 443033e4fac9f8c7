#include "master/PhaseResultRing.h"

namespace Tavo
{
void PhaseResultRing::publish (std::int32_t position, float phase, float phaseCopy)
{
    const auto w = resultWriteCount.load (std::memory_order_relaxed);
    auto& entry = entries[slotOf (w)];
    entry.position = position;
    entry.phase = phase;
    entry.phaseCopy = phaseCopy;
    resultWriteCount.store (w + 1, std::memory_order_release);
}

void PhaseResultRing::publish (std::int32_t position, float phase, float phaseCopy, float marker)
{
    const auto w = resultWriteCount.load (std::memory_order_relaxed);
    entries[slotOf (w)].marker = marker;
    publish (position, phase, phaseCopy);
}

PhaseResult PhaseResultRing::newest() const
{
    const auto w = resultWriteCount.load (std::memory_order_relaxed);
    return entries[slotOf (w - 1)];
}

void PhaseResultRing::take (int segmentStart, int& segmentEnd, std::int32_t delayedOffset, float& targetAngle)
{
    auto r = resultReadCount.load (std::memory_order_relaxed);
    const auto w = resultWriteCount.load (std::memory_order_acquire);

    if (r > 0)
        targetAngle = entries[slotOf (r - 1)].phase;

    if (r >= w)
        return;

    // Positions that run backwards (a resynchronised master, or the two
    // entries of a track whose group is off) skip to the newest entry.
    if (entries[slotOf (r)].position > entries[slotOf (w - 1)].position)
    {
        r = w - 1;
        resultReadCount.store (r, std::memory_order_release);
    }

    // Timeline positions wrap at 32 bits; so does the offset arithmetic.
    const auto due = static_cast<std::int32_t> (static_cast<std::uint32_t> (entries[slotOf (r)].position)
                                                + static_cast<std::uint32_t> (delayedOffset));

    if (due <= segmentEnd)
    {
        segmentEnd = due < segmentStart ? segmentStart + 1 : static_cast<int> (due);
        resultReadCount.store (r + 1, std::memory_order_release);
    }
}
} // namespace Tavo
