#pragma once

#include <vector>

namespace Tavo
{

/** The coefficients of a Hilbert all-pass pair for one sample rate: two
    cascades whose phase responses differ by a quarter period over the audio
    band, set B leading set A.

    Computed on the message thread at prepare time; the lists are then read
    when chains are loaded.
*/
class HilbertCoefficients
{
public:
    HilbertCoefficients();

    /** Fills both sets with the design for this sample rate: 8 sections per
        set below 60 kHz, 9 below 120 kHz and 10 above.
    */
    void compute (float sampleRate);

    const std::vector<float>& getSetA() const { return setA; }
    const std::vector<float>& getSetB() const { return setB; }

private:
    std::vector<float> setA;
    std::vector<float> setB;
};

} // namespace Tavo
