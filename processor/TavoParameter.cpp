#include "processor/TavoParameter.h"

namespace Tavo
{
TavoParameter::TavoParameter (ParameterDescriptionLayer& ownerIn, int indexIn, const juce::String& identifier, float normalisedDefaultIn)
    : juce::AudioProcessorParameterWithID (juce::ParameterID { identifier, 1 }, ownerIn.getParameterInfo (indexIn).name),
      owner (ownerIn),
      index (indexIn),
      normalisedDefault (normalisedDefaultIn)
{
}

float TavoParameter::getValue() const
{
    return owner.normalisedFromValue (index, owner.getParameterValue (index));
}

void TavoParameter::setValue (float newValue)
{
    owner.setParameterValue (index, owner.valueFromNormalised (index, newValue));
}

juce::String TavoParameter::getName (int maximumStringLength) const
{
    return juce::String (owner.getParameterInfo (index).name).substring (0, maximumStringLength);
}

juce::String TavoParameter::getText (float normalisedValue, int maximumStringLength) const
{
    return owner.textFromNormalised (index, normalisedValue).substring (0, maximumStringLength);
}

float TavoParameter::getValueForText (const juce::String& text) const
{
    return owner.normalisedFromText (index, text);
}

bool TavoParameter::isBoolean() const
{
    return owner.getParameterInfo (index).scaling == ParamScaling::TOGGLE;
}

bool TavoParameter::isDiscrete() const
{
    return getNumSteps() != juce::AudioProcessor::getDefaultNumParameterSteps();
}

int TavoParameter::getNumSteps() const
{
    const auto info = owner.getParameterInfo (index);
    return info.scaling == ParamScaling::TOGGLE ? 2 : juce::AudioProcessor::getDefaultNumParameterSteps();
}
} // namespace Tavo
