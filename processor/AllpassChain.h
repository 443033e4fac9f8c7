#pragma once

#include <array>
#include <cstddef>
#include <vector>

namespace Tavo
{

/** A cascade of up to 16 first-order all-pass sections, each
    H(z) = (c + z^-1) / (1 + c z^-1), in single precision.

    Loaded at configuration time (message thread, or the audio thread when a
    channel state is reconfigured); process() and clear() run on the audio
    thread and never allocate.
*/
class AllpassChain
{
public:
    static constexpr int maxSections = 16;

    AllpassChain() = default;

    /** Installs the section coefficients and zeroes the state. Lists longer
        than maxSections are a programming error; the surplus is ignored.
    */
    void load (const std::vector<float>& coefficients);

    /** Zeroes the state of every section, keeping the coefficients. */
    void clear();

    /** Filters one sample through all sections in order. */
    float process (float input);

    int getNumSections() const { return numSections; }

private:
    friend struct AllpassLanes;

    int numSections = 0;
    std::array<float, maxSections> coefficient {};
    std::array<float, maxSections> previousInput {};
    std::array<float, maxSections> previousOutput {};
};

} // namespace Tavo
