#include "processor/FormulaFilter.h"

#include <cassert>
#include <cmath>
#include <limits>
#include <type_traits>

namespace Tavo
{

// setFormula runs on the audio thread at every block; a design that owned heap
// memory would allocate there.
static_assert (std::is_trivially_copyable_v<RationalFunction>);

//==============================================================================
void FormulaFilter::setFormula (const RationalFunction& newFormula)
{
    formula = newFormula;

    const auto& denominator = formula.getDenominator();
    const double leading = denominator.isZero() ? 0.0 : denominator.getTerm (0).coefficient;

    // An infinite gain would poison everything downstream; silence is the
    // safe reading of a degenerate design.
    normaliser = leading != 0.0 ? 1.0 / leading : 0.0;
}

bool FormulaFilter::getFirstOrder (FirstOrder& design) const
{
    const auto& b = formula.getNumerator();
    const auto& a = formula.getDenominator();

    if (b.getNumTerms() != 1 || b.getTerm (0).exponent != 0 || a.getNumTerms() != 2 || a.getTerm (0).exponent != 0
        || a.getTerm (1).exponent != 1)
        return false;

    design.b0 = b.getTerm (0).coefficient;
    design.a1 = a.getTerm (1).coefficient;
    design.normaliser = normaliser;
    return true;
}

std::complex<double> FormulaFilter::frequencyResponse (double omega) const
{
    auto evaluate = [omega] (const RationalFunction::Polynomial& polynomial)
    {
        std::complex<double> sum;

        for (const auto& term : polynomial)
            sum += term.coefficient * std::polar (1.0, -(double) term.exponent * omega);

        return sum;
    };

    const auto num = evaluate (formula.getNumerator());
    const auto den = evaluate (formula.getDenominator());
    const double nan = std::numeric_limits<double>::quiet_NaN();

    if (! std::isfinite (num.real()) || ! std::isfinite (num.imag())
        || ! std::isfinite (den.real()) || ! std::isfinite (den.imag())
        || (den.real() == 0.0 && den.imag() == 0.0))
        return { nan, nan };

    // Scaled division, so that large or small parts do not overflow.
    if (std::abs (den.real()) >= std::abs (den.imag()))
    {
        const double ratio = den.imag() / den.real();
        const double scale = den.real() + den.imag() * ratio;
        return { (num.real() + num.imag() * ratio) / scale,
                 (num.imag() - num.real() * ratio) / scale };
    }

    const double ratio = den.real() / den.imag();
    const double scale = den.real() * ratio + den.imag();
    return { (num.real() * ratio + num.imag()) / scale,
             (num.imag() * ratio - num.real()) / scale };
}

std::unique_ptr<StructuredFilter::Processor> FormulaFilter::createProcessor() const
{
    return std::make_unique<Processor> (*this);
}

RationalFunction FormulaFilter::lowPass (double cutoffHz, double sampleRate)
{
    using R = RationalFunction;

    // Built through the algebra so that the design reads as its formula.
    const R k = R::constant (sampleRate / cutoffHz / 6.283185307179586);
    const R g = R::constant (1.0) + k * R::difference();
    return R::constant (1.0) / g;
}

//==============================================================================
FormulaFilter::Processor::Processor (const FormulaFilter& filterToRun)
    : filter (filterToRun)
{
}

double FormulaFilter::Processor::process (double input)
{
    const auto& b = filter.formula.getNumerator();
    const auto& a = filter.formula.getDenominator();

    inputs.ensureSize ((std::size_t) b.getLargestExponent() + 1);
    outputs.ensureSize ((std::size_t) a.getLargestExponent() + 2);

    inputs.append (input);

    double sum = 0.0;

    for (const auto& term : b)
        sum += term.coefficient * inputs.ago (term.exponent);

    // The first denominator term belongs to the current output and is folded
    // into the normaliser; later terms have exponents of at least 1.
    for (int i = 1; i < a.getNumTerms(); ++i)
    {
        const auto& term = a.getTerm (i);
        sum -= term.coefficient * outputs.ago ((std::size_t) term.exponent - 1);
    }

    const double output = filter.normaliser * sum;
    outputs.append (output);
    return output;
}

void FormulaFilter::Processor::copyHistory (const StructuredFilter::Processor& other)
{
    const auto* source = dynamic_cast<const Processor*> (&other);
    assert (source != nullptr);

    if (source != nullptr && source != this)
    {
        inputs = source->inputs;
        outputs = source->outputs;
    }
}

void FormulaFilter::Processor::reset()
{
    inputs.clear();
    outputs.clear();
}

//==============================================================================
void FormulaFilter::Processor::History::ensureSize (std::size_t minimumSize)
{
    if (minimumSize <= values.size())
        return;

    // Re-lay the stored samples oldest first, so they keep their ages.
    const std::size_t count = wrapped ? values.size() : writePos;
    std::vector<double> grown (minimumSize, 0.0);

    for (std::size_t age = 0; age < count; ++age)
        grown[count - 1 - age] = ago (age);

    values.swap (grown);
    writePos = count;
    wrapped = false;
}

void FormulaFilter::Processor::History::append (double value)
{
    values[writePos] = value;

    if (++writePos == values.size())
    {
        writePos = 0;
        wrapped = true;
    }
}

double FormulaFilter::Processor::History::ago (std::size_t samplesAgo) const
{
    const std::size_t count = wrapped ? values.size() : writePos;

    if (samplesAgo >= count)
        return 0.0;

    const std::size_t newest = writePos == 0 ? values.size() - 1 : writePos - 1;
    return newest >= samplesAgo ? values[newest - samplesAgo]
                                : values[newest + values.size() - samplesAgo];
}

void FormulaFilter::Processor::History::clear()
{
    writePos = 0;
    wrapped = false;
}

} // namespace Tavo
