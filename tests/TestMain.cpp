#include <gtest/gtest.h>
#include <juce_events/juce_events.h>

#include <cstdlib>

// Runs the tests with the framework initialised and the main thread as the
// message thread. Settings and marker files go to a private home folder, so a
// test run never touches the user's own files.
int main (int argc, char** argv)
{
    const auto home = juce::File::createTempFile ("tavo-test-home");
    home.createDirectory();
    setenv ("HOME", home.getFullPathName().toRawUTF8(), 1);

    // The plug-in bundles that tests load switch update checks on; the
    // product's own opt-out keeps them off the network.
    const auto optOut = home.getChildFile (".config/Application Support/Brellic/dont_check_updates");
    optOut.getParentDirectory().createDirectory();
    optOut.create();

    int result = 0;

    {
        juce::ScopedJuceInitialiser_GUI framework;
        ::testing::InitGoogleTest (&argc, argv);
        result = RUN_ALL_TESTS();
    }

    home.deleteRecursively();
    return result;
}
