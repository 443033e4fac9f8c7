#include "model/ParamTable.h"

#include "Tavo.pb.h"

#include <cassert>
#include <cstdio>

namespace Tavo
{
namespace
{
    using Labels = ParamDescBase;

    struct ParameterLayout
    {
        ParamSlot slot;
        std::string (Labels::*label)() const;
        std::string (Labels::*parentLabel)() const; // nullptr for a top-level field
        FieldPath path;
    };

    // Host index order. Renumbering breaks hosts' saved automation.
    std::vector<ParameterLayout> parameterLayout()
    {
        return {
            { ParamSlot::isEnabled, &Labels::isEnabled, &Labels::globalParams,
              { { ParamSet::kGlobalParamsFieldNumber, 0 }, { GlobalParams::kIsEnabledFieldNumber, 0 } } },
            { ParamSlot::isLowFreqFocus, &Labels::isLowFreqFocus, &Labels::globalParams,
              { { ParamSet::kGlobalParamsFieldNumber, 0 }, { GlobalParams::kIsLowFreqFocusFieldNumber, 0 } } },
            { ParamSlot::group, &Labels::group, nullptr,
              { { ParamSet::kGroupFieldNumber, 0 } } },
            { ParamSlot::enableMode, &Labels::enableMode, &Labels::groupParams,
              { { ParamSet::kGroupParamsFieldNumber, 0 }, { GroupParams::kEnableModeFieldNumber, 0 } } },
            { ParamSlot::groupGain, &Labels::groupGain, &Labels::groupParams,
              { { ParamSet::kGroupParamsFieldNumber, 0 }, { GroupParams::kGainFieldNumber, 0 } } },
            { ParamSlot::gain, &Labels::gain, nullptr,
              { { ParamSet::kGainFieldNumber, 0 } } },
            { ParamSlot::weight, &Labels::weight, nullptr,
              { { ParamSet::kWeightFieldNumber, 0 } } },
        };
    }

    std::string composeName (const Labels& labels, const ParameterLayout& layout)
    {
        char buffer[256];

        if (layout.parentLabel == nullptr)
            std::snprintf (buffer, sizeof (buffer), "%s", (labels.*layout.label)().c_str());
        else
            std::snprintf (buffer, sizeof (buffer), "%s %s",
                           (labels.*layout.parentLabel)().c_str(), (labels.*layout.label)().c_str());

        return buffer;
    }

    ParamEntry makeEntry (std::string name, const FieldPath& path)
    {
        ParamEntry entry;
        entry.name = std::move (name);
        entry.path = path;

        const auto* field = path.leafField (*ParamSet::descriptor());
        assert (field != nullptr && "a parameter path does not match the schema");

        if (field == nullptr)
            return entry;

        const auto range = fieldRangeOf (*field);
        entry.minimum = range.minimum;
        entry.maximum = range.maximum;

        if (field->cpp_type() == google::protobuf::FieldDescriptor::CPPTYPE_BOOL)
            entry.scaling = ParamScaling::TOGGLE;
        else if (range.logarithmic)
            entry.scaling = ParamScaling::LOGARITHMIC;
        else
            entry.scaling = ParamScaling::LINEAR;

        return entry;
    }
} // namespace

ParamTable::ParamTable (const ParamDescBase& labels)
{
    slotIndices.fill (-1);

    for (const auto& layout : parameterLayout())
    {
        slotIndices[static_cast<size_t> (layout.slot)] = size();
        entries.push_back (makeEntry (composeName (labels, layout), layout.path));
    }
}
} // namespace Tavo
