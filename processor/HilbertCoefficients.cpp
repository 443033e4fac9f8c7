#include "processor/HilbertCoefficients.h"

#include <cmath>
#include <iterator>

namespace Tavo
{

namespace
{
    // Each design is stored as the log-parameters p of its sections, set A
    // first and set B second; the section coefficient is tanh (p / 2). The
    // higher rates need an extra section per set to keep the quarter-period
    // difference down to the same low frequency.
    constexpr double designBelow60k[] =
    {
        -7.303260738413883, -5.602226050069858, -5.119232249417216, -3.8455964551958313,
        -2.604985993130052, -1.2084998468386499, 0.20175443556512127, 1.4092355536219203,

        -6.020301872927446, -5.548025724224731, -4.454440215735943, -3.242092726948269,
        -1.92442045186829, -0.48145969983715586, 0.7873172379932606, 2.5830115194261074
    };

    constexpr double designBelow120k[] =
    {
        -7.928146694364693, -5.774766924439987, -5.685727511423265, -4.384116577640928,
        -3.3543275207674434, -2.0092756048268634, -0.6145980784522818, 0.8189510440749789,
        2.002301216662238,

        -6.576437265486533, -5.782995303233138, -4.946049259722245, -3.90655657218332,
        -2.7004879533235204, -1.3137793872669141, 0.09796318889456636, 1.4681169020538836,
        3.00092127430376
    };

    constexpr double designFrom120k[] =
    {
        -8.715285968519085, -6.9089607188998725, -6.573261880511999, -5.298722071703714,
        -4.071614932051732, -2.7146534841601184, -1.3340842237492643, 0.028923027189133147,
        1.4239454896621904, 2.7623675521767215,

        -7.40252533532362, -6.913288763047541, -5.8932728976513316, -4.706727860581023,
        -3.401053919329503, -2.023722931448115, -0.6495864856933152, 0.7096603286072043,
        2.1989947308529945, 3.5484593846138464
    };

    float sectionCoefficient (double p)
    {
        // Evaluated in extended precision and rounded once to single precision.
        const long double e = std::exp ((long double) p);
        return (float) ((e - 1.0L) / (e + 1.0L));
    }
}

HilbertCoefficients::HilbertCoefficients()
{
    // Room for the largest design, so that later computations reuse storage.
    setA.reserve (std::size (designFrom120k) / 2);
    setB.reserve (std::size (designFrom120k) / 2);
}

void HilbertCoefficients::compute (float sampleRate)
{
    const double* design = designFrom120k;
    std::size_t designSize = std::size (designFrom120k);

    if (sampleRate < 60000.0f)
    {
        design = designBelow60k;
        designSize = std::size (designBelow60k);
    }
    else if (sampleRate < 120000.0f)
    {
        design = designBelow120k;
        designSize = std::size (designBelow120k);
    }

    setA.clear();
    setB.clear();

    const std::size_t sectionsPerSet = designSize / 2;

    for (std::size_t i = 0; i < designSize; ++i)
        (i < sectionsPerSet ? setA : setB).push_back (sectionCoefficient (design[i]));
}

} // namespace Tavo
