#include "model/ModelRules.h"

#include "model/FieldPath.h"

#include <algorithm>
#include <cmath>

namespace Tavo
{
Model makeDefaultModel()
{
    Model model;
    model.add_param_set();
    model.add_param_set();
    return model;
}

bool holdsActiveSet (const Model& model)
{
    return model.active_param_set() >= 0 && model.active_param_set() < model.param_set_size();
}

double effectiveLookaheadMilliseconds (const GlobalConfig& config)
{
    static const auto range = fieldRangeOf (*GlobalConfig::descriptor()->FindFieldByNumber (
        GlobalConfig::kLookaheadBufferMsFieldNumber));

    const auto value = config.lookahead_buffer_ms();

    if (std::isnan (value))
        return range.minimum;

    return std::clamp (value, range.minimum, range.maximum);
}

int lookaheadSamplesAt (double lookaheadMilliseconds, double sampleRate)
{
    return static_cast<int> (std::floor (lookaheadMilliseconds * 0.001 * sampleRate + 0.5));
}

float gainFromDecibels (float decibels)
{
    if (! (decibels > -100.0f))
        return 0.0f;

    return static_cast<float> (std::pow (10.0, double (static_cast<float> (double (decibels) * 0.05))));
}
} // namespace Tavo
