#include "master/TripleBuffer.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <thread>

namespace Tavo
{
TEST (DisplayHandoff, TheReaderAlwaysSeesOneWholeValue)
{
    struct Frame
    {
        std::array<int, 512> values {};
    };

    auto buffer = std::make_unique<TripleBuffer<Frame>>();
    EXPECT_EQ (buffer->read().values[0], 0);

    std::atomic<bool> done { false };
    std::thread writer ([&] {
        Frame frame;

        for (int n = 1; n <= 20000; ++n)
        {
            frame.values.fill (n);
            buffer->publish (frame);
        }

        done.store (true);
    });

    int last = 0;

    while (! done.load())
    {
        const auto& frame = buffer->read();
        const auto first = frame.values.front();

        for (auto v : frame.values)
            ASSERT_EQ (v, first); // never a mix of two frames

        ASSERT_GE (first, last); // never older than what was seen
        last = first;
    }

    writer.join();
    EXPECT_EQ (buffer->read().values.front(), 20000);
}
} // namespace Tavo
