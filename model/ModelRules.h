#pragma once

#include "Tavo.pb.h"

namespace Tavo
{
/** A new instance's model: two parameter sets with no field present, so that
    every read yields the schema's defaults. */
Model makeDefaultModel();

/** The set all code reads and writes. The model must hold it (see
    StateBlock for how loading keeps that true). */
inline ParamSet& activeSet (Model& model) { return *model.mutable_param_set (model.active_param_set()); }
inline const ParamSet& activeSet (const Model& model) { return model.param_set (model.active_param_set()); }

/** Whether the model holds its active set. */
bool holdsActiveSet (const Model& model);

/** The lookahead in milliseconds that the delay line uses: the configured
    value, clamped to the schema's range, so that foreign state can never size
    the delay line below what it can take. */
double effectiveLookaheadMilliseconds (const GlobalConfig& config);

/** The lookahead in whole samples at a sample rate. */
int lookaheadSamplesAt (double lookaheadMilliseconds, double sampleRate);

/** A level in decibels as a linear gain in single precision; -100 dB or less
    is silence. */
float gainFromDecibels (float decibels);
} // namespace Tavo
