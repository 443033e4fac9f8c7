#include "model/FieldPath.h"

#include "Params.pb.h"

#include <algorithm>
#include <cmath>

namespace Tavo
{
using google::protobuf::FieldDescriptor;
using google::protobuf::Message;

FieldRange fieldRangeOf (const FieldDescriptor& field)
{
    switch (field.cpp_type())
    {
        case FieldDescriptor::CPPTYPE_BOOL:
            return { 0.0, 1.0, false };

        case FieldDescriptor::CPPTYPE_ENUM:
        {
            const auto* type = field.enum_type();
            return { 0.0, double (type->value (type->value_count() - 1)->number()), false };
        }

        default:
        {
            const auto& options = field.options();
            return { options.GetExtension (min_value),
                     options.GetExtension (max_value),
                     options.GetExtension (param_type) == HZ };
        }
    }
}

std::int32_t roundParameterInteger (double value)
{
    const auto single = static_cast<float> (value);
    return static_cast<std::int32_t> (std::floor (single + 0.5f));
}

FieldPath::FieldPath (std::initializer_list<FieldPathStep> steps)
    : pathSteps (steps)
{
}

const FieldDescriptor* FieldPath::leafField (const google::protobuf::Descriptor& root) const
{
    const auto* descriptor = &root;
    const FieldDescriptor* field = nullptr;

    for (size_t i = 0; i < pathSteps.size(); ++i)
    {
        if (descriptor == nullptr)
            return nullptr;

        field = descriptor->FindFieldByNumber (pathSteps[i].fieldNumber);

        if (field == nullptr)
            return nullptr;

        const bool isLast = i + 1 == pathSteps.size();
        const bool isMessage = field->cpp_type() == FieldDescriptor::CPPTYPE_MESSAGE;

        if (isLast == isMessage)
            return nullptr;

        descriptor = isMessage ? field->message_type() : nullptr;
    }

    return field;
}

double FieldPath::read (const Message& root) const
{
    if (pathSteps.empty())
        return 0.0;

    const Message* message = &root;

    for (size_t i = 0; i + 1 < pathSteps.size(); ++i)
    {
        const auto& step = pathSteps[i];
        const auto* reflection = message->GetReflection();
        const auto* field = message->GetDescriptor()->FindFieldByNumber (step.fieldNumber);

        if (field == nullptr || field->cpp_type() != FieldDescriptor::CPPTYPE_MESSAGE)
            return 0.0;

        if (field->is_repeated())
        {
            if (step.index < 0 || step.index >= reflection->FieldSize (*message, field))
                return 0.0;

            message = &reflection->GetRepeatedMessage (*message, field, step.index);
        }
        else
        {
            message = &reflection->GetMessage (*message, field);
        }
    }

    const auto& last = pathSteps.back();
    const auto* reflection = message->GetReflection();
    const auto* field = message->GetDescriptor()->FindFieldByNumber (last.fieldNumber);

    if (field == nullptr)
        return 0.0;

    if (field->is_repeated())
    {
        if (last.index < 0 || last.index >= reflection->FieldSize (*message, field))
            return 0.0;

        switch (field->cpp_type())
        {
            case FieldDescriptor::CPPTYPE_DOUBLE: return reflection->GetRepeatedDouble (*message, field, last.index);
            case FieldDescriptor::CPPTYPE_INT32:  return reflection->GetRepeatedInt32 (*message, field, last.index);
            case FieldDescriptor::CPPTYPE_BOOL:   return reflection->GetRepeatedBool (*message, field, last.index) ? 1.0 : 0.0;
            case FieldDescriptor::CPPTYPE_ENUM:   return reflection->GetRepeatedEnumValue (*message, field, last.index);
            default:                              return 0.0;
        }
    }

    switch (field->cpp_type())
    {
        case FieldDescriptor::CPPTYPE_DOUBLE: return reflection->GetDouble (*message, field);
        case FieldDescriptor::CPPTYPE_INT32:  return reflection->GetInt32 (*message, field);
        case FieldDescriptor::CPPTYPE_BOOL:   return reflection->GetBool (*message, field) ? 1.0 : 0.0;
        case FieldDescriptor::CPPTYPE_ENUM:   return reflection->GetEnumValue (*message, field);
        default:                              return 0.0;
    }
}

namespace
{
    void growRepeatedScalar (Message& message, const FieldDescriptor& field, int size)
    {
        const auto* reflection = message.GetReflection();

        while (reflection->FieldSize (message, &field) < size)
        {
            switch (field.cpp_type())
            {
                case FieldDescriptor::CPPTYPE_DOUBLE: reflection->AddDouble (&message, &field, 0.0); break;
                case FieldDescriptor::CPPTYPE_INT32:  reflection->AddInt32 (&message, &field, 0); break;
                case FieldDescriptor::CPPTYPE_BOOL:   reflection->AddBool (&message, &field, false); break;
                case FieldDescriptor::CPPTYPE_ENUM:
                    reflection->AddEnum (&message, &field, field.enum_type()->value (0));
                    break;
                default: return;
            }
        }
    }
} // namespace

void FieldPath::write (Message& root, double value) const
{
    if (pathSteps.empty())
        return;

    Message* message = &root;

    for (size_t i = 0; i + 1 < pathSteps.size(); ++i)
    {
        const auto& step = pathSteps[i];
        const auto* reflection = message->GetReflection();
        const auto* field = message->GetDescriptor()->FindFieldByNumber (step.fieldNumber);

        if (field == nullptr || field->cpp_type() != FieldDescriptor::CPPTYPE_MESSAGE || step.index < 0)
            return;

        if (field->is_repeated())
        {
            while (reflection->FieldSize (*message, field) <= step.index)
                reflection->AddMessage (message, field);

            message = reflection->MutableRepeatedMessage (message, field, step.index);
        }
        else
        {
            message = reflection->MutableMessage (message, field);
        }
    }

    const auto& last = pathSteps.back();
    const auto* reflection = message->GetReflection();
    const auto* field = message->GetDescriptor()->FindFieldByNumber (last.fieldNumber);

    if (field == nullptr || last.index < 0)
        return;

    const auto range = fieldRangeOf (*field);

    // NaN would survive both comparisons; it means "nothing", so write the minimum.
    auto clamped = std::isnan (value) ? range.minimum : value;
    clamped = std::max (std::min (clamped, range.maximum), range.minimum);

    if (field->is_repeated())
    {
        growRepeatedScalar (*message, *field, last.index + 1);

        switch (field->cpp_type())
        {
            case FieldDescriptor::CPPTYPE_DOUBLE:
                reflection->SetRepeatedDouble (message, field, last.index, clamped);
                break;
            case FieldDescriptor::CPPTYPE_INT32:
                reflection->SetRepeatedInt32 (message, field, last.index, roundParameterInteger (clamped));
                break;
            case FieldDescriptor::CPPTYPE_BOOL:
                reflection->SetRepeatedBool (message, field, last.index, clamped != 0.0);
                break;
            case FieldDescriptor::CPPTYPE_ENUM:
                if (const auto* enumValue = field->enum_type()->FindValueByNumber (roundParameterInteger (clamped)))
                    reflection->SetRepeatedEnum (message, field, last.index, enumValue);
                break;
            default:
                break;
        }

        return;
    }

    switch (field->cpp_type())
    {
        case FieldDescriptor::CPPTYPE_DOUBLE:
            reflection->SetDouble (message, field, clamped);
            break;
        case FieldDescriptor::CPPTYPE_INT32:
            reflection->SetInt32 (message, field, roundParameterInteger (clamped));
            break;
        case FieldDescriptor::CPPTYPE_BOOL:
            reflection->SetBool (message, field, clamped != 0.0);
            break;
        case FieldDescriptor::CPPTYPE_ENUM:
            if (const auto* enumValue = field->enum_type()->FindValueByNumber (roundParameterInteger (clamped)))
                reflection->SetEnum (message, field, enumValue);
            break;
        default:
            break;
    }
}
} // namespace Tavo
