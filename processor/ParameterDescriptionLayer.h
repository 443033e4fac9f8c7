#pragma once

#include "model/ParamTable.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <string>

namespace Tavo
{
/** What getParameterInfo reports of one parameter. */
struct ParameterInfo
{
    std::string name;
    std::string label;
    float defaultValue = 0.0f;
    float minimum = 0.0f;
    float maximum = 0.0f;
    ParamScaling scaling = ParamScaling::LINEAR;
};

/** The processor base with the parameter-description layer: seven operations
    through which the host-facing parameters read and write plain values. The
    host sees the parameters as framework objects (TavoParameter) that forward
    here, so every write reaches setParameterValue. */
class ParameterDescriptionLayer : public juce::AudioProcessor
{
public:
    using juce::AudioProcessor::AudioProcessor;

    /** Any thread. */
    virtual ParameterInfo getParameterInfo (int index) const = 0;

    /** Any thread; takes the model lock briefly. */
    virtual float getParameterValue (int index) = 0;

    /** Any thread; takes the model lock briefly. Clamps and rounds. */
    virtual void setParameterValue (int index, float value) = 0;

    virtual float valueFromNormalised (int index, float normalised) const;
    virtual float normalisedFromValue (int index, float value) const;
    virtual juce::String textFromNormalised (int index, float normalised) const;
    virtual float normalisedFromText (int index, const juce::String& text) const;

    /** The parameter's name, or the empty string for an index outside the table. */
    juce::String parameterName (int index) const;
};

/** The leading decimal number of a text, or 0 when it has none. */
double leadingDecimalNumber (const juce::String& text);
} // namespace Tavo
