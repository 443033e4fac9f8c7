#include "processor/ChannelState.h"

namespace Tavo
{
ChannelState::ChannelState (const FormulaFilter& preFilterIn, int maxReverseBlock, int imagDelayCapacity)
    : preFilter (preFilterIn.createProcessor())
{
    delay.resize (delayCapacity);
    imaginary.reserve (imagDelayCapacity);
    reverse.reserve (maxReverseBlock);
}

void ChannelState::configure (const HilbertCoefficients& coefficients, int imagDelay, int reverseBlock, int startOffset)
{
    captureA.load (coefficients.getSetA());
    captureB.load (coefficients.getSetB());
    renderChain.load (coefficients.getSetB());
    reverse.loadChain (coefficients.getSetA());
    reverse.configure (startOffset, reverseBlock);
    imaginary.setCapacity (imagDelay);
    reset();
}

void ChannelState::reset()
{
    delay.reset();
    imaginary.reset();
    preFilter->reset();
    preFilterOutput = 0.0;
    captureA.clear();
    captureB.clear();
    renderChain.clear();
    reverse.reset();
    fading = false;
    toAngle = 0.0f;
    currentAngle = 0.0f;
}
} // namespace Tavo
