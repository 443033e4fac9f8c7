#include "services/GlobalSettings.h"

#include "host/HostEnvironment.h"
#include "master/TavoMaster.h"

namespace Tavo
{
namespace GlobalSettings
{
    namespace
    {
        juce::PropertiesFile::Options fileOptions()
        {
            juce::PropertiesFile::Options options;
            options.applicationName = "Tavo";
            options.filenameSuffix = "settings";
            options.folderName = "Brellic/Tavo";
            options.osxLibrarySubFolder = "Application Support";
            options.commonToAllUsers = false;
            options.storageFormat = juce::PropertiesFile::storeAsXML;
            return options;
        }
    } // namespace

    juce::File settingsFile()
    {
        return juce::File::getSpecialLocation (juce::File::userApplicationDataDirectory)
            .getChildFile ("Brellic/Tavo/Tavo.settings");
    }

    double readLogicLookahead()
    {
        const juce::PropertiesFile file (settingsFile(), fileOptions());
        return file.getDoubleValue (logicLatencyKey, defaultLogicLookaheadSeconds);
    }

    bool writeLogicLookahead (double seconds)
    {
        // PropertiesFile saves through a temporary file and a rename, so a
        // failed save never leaves a half-written settings file behind.
        juce::PropertiesFile file (settingsFile(), fileOptions());
        file.setValue (logicLatencyKey, seconds);
        return file.saveIfNeeded();
    }
} // namespace GlobalSettings

void setGlobalLookahead (double milliseconds)
{
    auto& config = TavoMaster::getInstance().sharedConfig();
    config.setLookaheadMilliseconds (milliseconds);

    if (hostEnvironment()->detectHost() == HostKind::logic)
    {
        config.setHostLookaheadSeconds (milliseconds * 0.001);
        GlobalSettings::writeLogicLookahead (milliseconds * 0.001);
    }
}
} // namespace Tavo
