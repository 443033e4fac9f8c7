#include "processor/ParameterDescriptionLayer.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace Tavo
{
namespace
{
    struct SingleRange
    {
        float lo;
        float hi;
    };

    SingleRange rangeOf (const ParameterInfo& info)
    {
        if (info.scaling == ParamScaling::LOGARITHMIC)
            return { static_cast<float> (std::log (info.minimum)), static_cast<float> (std::log (info.maximum)) };

        return { info.minimum, info.maximum };
    }
} // namespace

float ParameterDescriptionLayer::valueFromNormalised (int index, float normalised) const
{
    const auto info = getParameterInfo (index);
    const auto [lo, hi] = rangeOf (info);
    auto value = static_cast<float> (double (lo) + (double (hi) - double (lo)) * double (normalised));

    if (info.scaling == ParamScaling::LOGARITHMIC)
        value = std::floor (static_cast<float> (static_cast<float> (std::exp (double (value))) + 0.5));

    return value;
}

float ParameterDescriptionLayer::normalisedFromValue (int index, float value) const
{
    const auto info = getParameterInfo (index);
    const auto [lo, hi] = rangeOf (info);

    if (info.scaling == ParamScaling::LOGARITHMIC)
        value = static_cast<float> (std::log (double (value)));

    return static_cast<float> ((double (value) - double (lo)) / (double (hi) - double (lo)));
}

juce::String ParameterDescriptionLayer::textFromNormalised (int index, float normalised) const
{
    char text[64];
    std::snprintf (text, sizeof (text), "%.2f", double (valueFromNormalised (index, normalised)));
    return text;
}

float ParameterDescriptionLayer::normalisedFromText (int index, const juce::String& text) const
{
    return normalisedFromValue (index, static_cast<float> (leadingDecimalNumber (text)));
}

juce::String ParameterDescriptionLayer::parameterName (int index) const
{
    if (index < 0 || index >= getParameters().size())
        return {};

    return getParameterInfo (index).name;
}

double leadingDecimalNumber (const juce::String& text)
{
    const auto utf8 = text.trimStart().toStdString();
    const char* start = utf8.c_str();
    const char* p = start;

    if (*p == '+' || *p == '-')
        ++p;

    const char* digitsStart = p;

    while (std::isdigit (static_cast<unsigned char> (*p)))
        ++p;

    if (*p == '.')
        ++p;

    while (std::isdigit (static_cast<unsigned char> (*p)))
        ++p;

    const bool hasDigits = std::any_of (digitsStart, p, [] (char c) { return std::isdigit (static_cast<unsigned char> (c)); });

    if (! hasDigits)
        return 0.0;

    if (*p == 'e' || *p == 'E')
    {
        const char* exponent = p + 1;

        if (*exponent == '+' || *exponent == '-')
            ++exponent;

        if (std::isdigit (static_cast<unsigned char> (*exponent)))
        {
            p = exponent;

            while (std::isdigit (static_cast<unsigned char> (*p)))
                ++p;
        }
    }

    const auto value = std::strtod (std::string (start, p).c_str(), nullptr);
    return std::isfinite (value) ? value : 0.0;
}
} // namespace Tavo
