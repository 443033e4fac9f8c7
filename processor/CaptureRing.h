#pragma once

#include <cstdint>
#include <vector>

namespace Tavo
{
/** The audio one processor publishes for the analysis, indexed by timeline
    position modulo 2^19. Because 2^32 is a multiple of the capacity, the
    index stays consistent when a 32-bit position wraps or is negative.
    Written by the audio thread; the master reads positions below the
    processor's published capture end only. */
class CaptureRing
{
public:
    static constexpr std::uint32_t capacity = 1u << 19;

    CaptureRing() : samples (capacity, 0.0f) {}

    static std::uint32_t indexOf (std::int32_t position)
    {
        return static_cast<std::uint32_t> (position) % capacity;
    }

    float at (std::int32_t position) const { return samples[indexOf (position)]; }

    /** Audio thread: the next write lands at this timeline position. */
    void seek (std::int32_t position) { writePos = indexOf (position); }

    /** Audio thread: stores one sample and advances, wrapping at the capacity. */
    void write (float sample)
    {
        samples[writePos] = sample;
        writePos = (writePos + 1) % capacity;
    }

    const float* data() const { return samples.data(); }

private:
    std::vector<float> samples;
    std::uint32_t writePos = 0;
};
} // namespace Tavo
