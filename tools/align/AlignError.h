#pragma once

#include <stdexcept>
#include <string>

namespace Tavo::Align
{
/** A failure the aligner reports in one line and ends with. */
class AlignError : public std::runtime_error
{
public:
    enum class Kind
    {
        usage = 2,      // the command line is wrong
        inputOutput = 1 // a file cannot be read or written
    };

    AlignError (Kind kindIn, const std::string& message) : std::runtime_error (message), kind (kindIn) {}

    int exitCode() const { return static_cast<int> (kind); }

    const Kind kind;
};

inline AlignError usageError (const std::string& message) { return { AlignError::Kind::usage, message }; }
inline AlignError fileError (const std::string& file, const std::string& cause)
{
    return { AlignError::Kind::inputOutput, file + ": " + cause };
}
} // namespace Tavo::Align
