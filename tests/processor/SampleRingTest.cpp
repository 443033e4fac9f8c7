#include "processor/SampleRing.h"

#include <gtest/gtest.h>

namespace Tavo
{
TEST (SampleRing, ReadsRelativeToTheWritePosition)
{
    SampleRing ring;
    ring.resize (4);

    EXPECT_EQ (ring.read (-1), 0.0f); // nothing written yet
    EXPECT_EQ (ring.read (0), 0.0f);

    ring.write (1);
    ring.write (2);
    EXPECT_EQ (ring.read (-1), 2.0f);
    EXPECT_EQ (ring.read (-2), 1.0f);
    EXPECT_EQ (ring.read (-3), 0.0f); // older than anything written
    EXPECT_EQ (ring.read (1), 0.0f);  // ahead reads need a wrapped ring

    ring.write (3);
    ring.write (4);
    ring.write (5); // wraps: 2 is now the oldest
    EXPECT_EQ (ring.read (-1), 5.0f);
    EXPECT_EQ (ring.read (-4), 2.0f);
    EXPECT_EQ (ring.read (0), 2.0f); // the oldest value
    EXPECT_EQ (ring.read (1), 3.0f);
    EXPECT_EQ (ring.read (-5), 0.0f); // beyond the capacity

    ring.reset();
    EXPECT_EQ (ring.read (-1), 0.0f);
}
} // namespace Tavo
