#include "model/ModelRules.h"
#include "model/StateBlock.h"
#include "processor/TavoAudioProcessor.h"
#include "support/AllocationGuard.h"
#include "support/FakeHost.h"
#include "support/TestHost.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace Tavo
{
TEST (RealtimeSafety, ProcessBlockNeverAllocatesWhileOtherThreadsChangeTheModel)
{
    auto& master = TavoMaster::getInstance();
    master.setAutomaticThread (true);

    TavoAudioProcessor processor;
    processor.prepareToPlay (48000.0, 512);

    Testing::BlockPlayer player (processor, 2, 512);

    for (int i = 0; i < 8; ++i) // the first blocks may configure channel state
        player.play();

    Model saved = makeDefaultModel();
    saved.mutable_param_set (0)->set_group (4);
    saved.mutable_global_config()->set_lookahead_buffer_ms (350);
    const auto block = StateBlock::serialise (saved);

    std::atomic<bool> stop { false };
    std::thread editor ([&] {
        for (int round = 0; ! stop.load(); ++round)
        {
            for (auto* parameter : processor.getParameters())
                parameter->setValueNotifyingHost (float (round % 10) / 10.0f);

            processor.setStateInformation (block.data(), static_cast<int> (block.size()));
        }
    });

    std::size_t allocations = 0;

    for (int i = 0; i < 2000; ++i)
    {
        Testing::AllocationGuard guard;
        player.play (i % 7 == 0);
        allocations += guard.allocations();
    }

    stop.store (true);
    editor.join();

    EXPECT_EQ (allocations, 0u);
}
} // namespace Tavo
