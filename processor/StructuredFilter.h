#pragma once

#include <complex>
#include <memory>

namespace Tavo
{

/** A filter design that can report its frequency response and create any
    number of processors that run it on a signal.

    A filter is designed on the thread that runs its processors (the audio
    thread in this system), so a redesign takes effect in all of them at the
    next sample. The filter must outlive its processors.
*/
class StructuredFilter
{
public:
    /** Runs a StructuredFilter on one signal, sample by sample, in double
        precision. Used on the audio thread; process() and reset() never
        allocate in the steady state.
    */
    class Processor
    {
    public:
        virtual double process (double input) = 0;

        /** Takes over the signal history of another processor of the same
            class, so that a replacement continues without a transient.
        */
        virtual void copyHistory (const Processor& other) = 0;

        /** Forgets all past samples. */
        virtual void reset() = 0;

        virtual ~Processor() = default;
    };

    /** The response at the normalised angular frequency omega (radians per
        sample), with z^-1 = e^(-i omega).
    */
    virtual std::complex<double> frequencyResponse (double omega) const = 0;

    virtual std::unique_ptr<Processor> createProcessor() const = 0;

    virtual ~StructuredFilter() = default;
};

} // namespace Tavo
