#include "model/StateBlock.h"

#include <google/protobuf/io/coded_stream.h>

namespace Tavo::StateBlock
{
std::string serialise (const Model& model)
{
    std::string bytes;
    model.SerializeToString (&bytes);
    return bytes;
}

std::optional<Model> parse (const void* data, int sizeInBytes)
{
    if (data == nullptr || sizeInBytes <= 0 || sizeInBytes > maxBytes)
        return std::nullopt;

    google::protobuf::io::CodedInputStream input (static_cast<const std::uint8_t*> (data), sizeInBytes);
    input.SetTotalBytesLimit (maxBytes);
    input.SetRecursionLimit (maxNestingDepth);

    Model model;

    if (! model.ParseFromCodedStream (&input) || ! input.ConsumedEntireMessage() || input.CurrentPosition() != sizeInBytes)
        return std::nullopt;

    const auto active = model.active_param_set();

    if (active < 0 || active >= maxParamSets)
        return std::nullopt;

    while (model.param_set_size() <= active)
        model.add_param_set();

    return model;
}
} // namespace Tavo::StateBlock
