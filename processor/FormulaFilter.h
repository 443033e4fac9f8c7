#pragma once

#include "processor/RationalFunction.h"
#include "processor/StructuredFilter.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace Tavo
{

/** A filter given by a rational function b / a of z^-1, run as the direct
    difference equation in double precision. Used as the capture's low-pass
    pre-filter, which is redesigned at every audio block.

    setFormula() copies into fixed-capacity storage and never allocates, so
    it may be called on the audio thread; it must be the thread that runs the
    filter's processors.
*/
class FormulaFilter : public StructuredFilter
{
public:
    /** Runs its FormulaFilter's current formula, read at every sample.
        Histories start 8 samples long and grow (allocating) only when a
        formula with larger exponents is installed.
    */
    class Processor : public StructuredFilter::Processor
    {
    public:
        explicit Processor (const FormulaFilter& filter);

        double process (double input) override;
        void copyHistory (const StructuredFilter::Processor& other) override;
        void reset() override;

    private:
        /** A circular record of past samples; unwritten values read as 0. */
        struct History
        {
            std::vector<double> values = std::vector<double> (8, 0.0);
            std::size_t writePos = 0;
            bool wrapped = false;

            void ensureSize (std::size_t minimumSize);
            void append (double value);
            double ago (std::size_t samplesAgo) const;
            void clear();
        };

        const FormulaFilter& filter;
        History inputs;
        History outputs;
    };

    /** The identity 1 / 1. */
    FormulaFilter() = default;

    /** Installs a new design. The first term of the denominator is taken as
        the z^0 term and normalised to 1; a denominator without a usable first
        term makes the filter output silence.
    */
    void setFormula (const RationalFunction& newFormula);

    const RationalFunction& getFormula() const { return formula; }

    /** 1 / (coefficient of the denominator's first term). */
    double getNormaliser() const { return normaliser; }

    /** A formula of the shape b0 / (a0 + a1 z^-1), which the capture's
        low-pass has: the audio thread runs its difference equation directly,
        y = g * ((0 + b0 * x) - a1 * y[n-1]) in double, the very operations of
        Processor::process() for this shape.
    */
    struct FirstOrder
    {
        double b0 = 1.0;
        double a1 = 0.0;
        double normaliser = 1.0;
    };

    /** Fills `design` and returns true when the formula has that shape. */
    bool getFirstOrder (FirstOrder& design) const;

    /** NaN in both components when the denominator is 0 or a part is not finite. */
    std::complex<double> frequencyResponse (double omega) const override;

    std::unique_ptr<StructuredFilter::Processor> createProcessor() const override;

    /** The one-pole low-pass 1 / (1 + K (1 - z^-1)) with K = sampleRate /
        (2 pi cutoffHz), which has unit gain at 0 Hz.
    */
    static RationalFunction lowPass (double cutoffHz, double sampleRate);

private:
    RationalFunction formula;
    double normaliser = 1.0;
};

} // namespace Tavo
