#pragma once

#include "model/FieldPath.h"
#include "model/ParamDesc.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace Tavo
{
/** How a parameter's plain value maps to the host's 0..1 range. */
enum class ParamScaling : std::int32_t
{
    LINEAR = 0,
    TOGGLE = 1,
    LOGARITHMIC = 2 // plain values are whole numbers
};

/** One host parameter: a scalar field of the active parameter set. */
struct ParamEntry
{
    std::string name; // at most 255 characters
    double minimum = 0.0;
    double maximum = 0.0;
    ParamScaling scaling = ParamScaling::LINEAR;
    FieldPath path;
};

/** The fields of the parameter tree that carry a label. Message fields have
    a slot but no parameter; the lookahead has a label but no host parameter. */
enum class ParamSlot
{
    globalParams,
    isEnabled,
    isLowFreqFocus,
    group,
    groupParams,
    enableMode,
    groupGain,
    gain,
    weight,
    count
};

/** The host parameters in host index order, built once from the schema's
    descriptors and never changed afterwards. Read from any thread. */
class ParamTable
{
public:
    explicit ParamTable (const ParamDescBase& labels);

    int size() const { return static_cast<int> (entries.size()); }
    const ParamEntry& entry (int index) const { return entries[static_cast<size_t> (index)]; }
    bool isValidIndex (int index) const { return index >= 0 && index < size(); }

    /** The parameter index of a labelled field, or -1 for the message fields. */
    int indexOf (ParamSlot slot) const { return slotIndices[static_cast<size_t> (slot)]; }

private:
    std::vector<ParamEntry> entries;
    std::array<int, static_cast<size_t> (ParamSlot::count)> slotIndices {};
};
} // namespace Tavo
