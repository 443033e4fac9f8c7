#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace Tavo
{
/** A float ring that reads relative to its write position: read(-j) is the
    value written j samples ago, and anything not written since the last
    reset reads as 0. Audio thread only; only resize() allocates. */
class SampleRing
{
public:
    /** Prepare time: sets the capacity and resets. */
    void resize (int capacity)
    {
        samples.assign (static_cast<std::size_t> (capacity > 0 ? capacity : 1), 0.0f);
        reset();
    }

    /** Makes room for a capacity up to maxCapacity without a later allocation. */
    void reserve (int maxCapacity) { samples.reserve (static_cast<std::size_t> (maxCapacity)); }

    /** Changes the capacity within what was reserved, then resets. The slots
        need no clearing: an unwrapped ring never returns a slot at or after pos. */
    void setCapacity (int capacity)
    {
        samples.resize (static_cast<std::size_t> (capacity > 0 ? capacity : 1));
        reset();
    }

    int capacity() const { return static_cast<int> (samples.size()); }

    void reset()
    {
        pos = 0;
        wrapped = false;
    }

    void write (float x)
    {
        samples[static_cast<std::size_t> (pos)] = x;

        if (++pos == capacity())
        {
            pos = 0;
            wrapped = true;
        }
    }

    float read (int offset) const
    {
        const auto size = capacity();

        if (offset < 0)
        {
            if (-offset > size)
                return 0.0f;

            if (-offset <= pos)
                return samples[static_cast<std::size_t> (pos + offset)];

            return wrapped ? samples[static_cast<std::size_t> (pos + offset + size)] : 0.0f;
        }

        if (! wrapped || offset >= size)
            return 0.0f;

        const auto index = pos + offset;
        return samples[static_cast<std::size_t> (index >= size ? index - size : index)];
    }

    //==========================================================================
    // Direct access for loops that handle the indexing themselves.

    /** True when every read back by up to `reach` samples returns a slot
        written since the last reset, so slot arithmetic alone is exact. */
    bool reachesWrittenSlots (int reach) const { return wrapped || pos >= reach; }

    bool hasWrapped() const { return wrapped; }
    int position() const { return pos; }
    float* slots() { return samples.data(); }

    /** After `count` samples were stored directly from position() on. */
    void advance (int count)
    {
        pos += count;

        while (pos >= capacity())
        {
            pos -= capacity();
            wrapped = true;
        }
    }

private:
    std::vector<float> samples = std::vector<float> (1, 0.0f);
    int pos = 0;
    bool wrapped = false;
};
} // namespace Tavo
