#pragma once

#include "Tavo.pb.h"

#include <optional>
#include <string>

namespace Tavo
{
/** The state block that hosts store: the serialised model and nothing else.
    Compatibility rests on the schema's field numbers; fields this version
    does not know are kept and written back. */
namespace StateBlock
{
    /** Parse limits that keep a hostile block from exhausting memory or stack. */
    inline constexpr int maxBytes = 64 * 1024 * 1024;
    inline constexpr int maxNestingDepth = 64;

    /** The most parameter sets a block may make the model grow to. */
    inline constexpr int maxParamSets = 64;

    std::string serialise (const Model& model);

    /** The model a block describes, or nothing when the block cannot be used:
        empty, unparsable, not consumed whole, or naming an active set that is
        negative or beyond maxParamSets. A block with too few parameter sets
        for its active set gets default sets appended, so the model it yields
        always holds its active set. */
    std::optional<Model> parse (const void* data, int sizeInBytes);
} // namespace StateBlock
} // namespace Tavo
