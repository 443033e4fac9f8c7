#pragma once

#include "processor/ParameterDescriptionLayer.h"

namespace Tavo
{
/** One host parameter as the framework presents it. Holds no value of its
    own: reads and writes go through the processor's parameter-description
    layer, which keeps the value in the model. It derives from the framework's
    parameter-with-identifier class because the LV2 wrapper builds parameter
    addresses only from that class's identifier. */
class TavoParameter final : public juce::AudioProcessorParameterWithID
{
public:
    /** The identifier hosts store with automation; never rename one. */
    TavoParameter (ParameterDescriptionLayer& owner, int index, const juce::String& identifier, float normalisedDefault);

    float getValue() const override;
    void setValue (float newValue) override;
    float getDefaultValue() const override { return normalisedDefault; }
    juce::String getName (int maximumStringLength) const override;
    juce::String getLabel() const override { return {}; }
    juce::String getText (float normalisedValue, int maximumStringLength) const override;
    float getValueForText (const juce::String& text) const override;
    bool isAutomatable() const override { return true; }
    bool isBoolean() const override;
    bool isDiscrete() const override;
    int getNumSteps() const override;

private:
    ParameterDescriptionLayer& owner;
    const int index;
    const float normalisedDefault;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (TavoParameter)
};
} // namespace Tavo
