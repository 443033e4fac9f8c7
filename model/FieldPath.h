#pragma once

#include <google/protobuf/descriptor.h>
#include <google/protobuf/message.h>

#include <cstdint>
#include <initializer_list>
#include <vector>

namespace Tavo
{
/** The value range of a scalar field, read from the schema's options. */
struct FieldRange
{
    double minimum = 0.0;
    double maximum = 0.0;
    bool logarithmic = false; // the field is a frequency and maps logarithmically
};

/** The range of a scalar field: 0..1 for bool, 0..last value for an enum,
    the min_value/max_value options otherwise (0 where an option is absent). */
FieldRange fieldRangeOf (const google::protobuf::FieldDescriptor& field);

/** One step of a path: a field number, and the element index when the field
    is repeated (0 otherwise). */
struct FieldPathStep
{
    std::int32_t fieldNumber = 0;
    std::int32_t index = 0;
};

/** Addresses one scalar field inside a message through reflection, so that
    parameters are data rather than code. Every step but the last descends
    into a message field. Not thread-safe: callers hold the model's lock. */
class FieldPath
{
public:
    FieldPath() = default;
    FieldPath (std::initializer_list<FieldPathStep> steps);

    const std::vector<FieldPathStep>& steps() const { return pathSteps; }

    /** The scalar field the path ends at, or nullptr if it does not resolve. */
    const google::protobuf::FieldDescriptor* leafField (const google::protobuf::Descriptor& root) const;

    /** The value as a double; absent messages read as their defaults, indices
        out of range and unresolvable steps read as 0. */
    double read (const google::protobuf::Message& root) const;

    /** Writes a value, creating absent messages and growing repeated fields.
        The value is clamped to the field's range; integer and enum values are
        rounded half up through single precision, as host values arrive. */
    void write (google::protobuf::Message& root, double value) const;

private:
    std::vector<FieldPathStep> pathSteps;
};

/** The rounding of integer values written through a path: the value is taken
    to single precision, 0.5 is added in single precision, then floored. */
std::int32_t roundParameterInteger (double value);
} // namespace Tavo
