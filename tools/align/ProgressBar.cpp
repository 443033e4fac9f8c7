#include "ProgressBar.h"

#include <unistd.h>

namespace Tavo::Align
{
ProgressBar::ProgressBar (double seconds, bool enabled)
    : audioSeconds (seconds), shown (enabled && isatty (STDERR_FILENO))
{
}

ProgressBar::~ProgressBar()
{
    if (shown && lastPercent >= 0)
        std::fputc ('\n', stderr);
}

void ProgressBar::update (double fractionDone)
{
    const auto percent = static_cast<int> (fractionDone * 100.0);

    if (! shown || percent == lastPercent)
        return;

    lastPercent = percent;
    const auto elapsed = std::chrono::duration<double> (std::chrono::steady_clock::now() - start).count();
    const auto speed = elapsed > 0 ? audioSeconds * fractionDone / elapsed : 0.0;

    constexpr int width = 30;
    char bar[width + 1];

    for (int i = 0; i < width; ++i)
        bar[i] = i < percent * width / 100 ? '#' : '-';

    bar[width] = 0;
    std::fprintf (stderr, "\r[%s] %3d%%  %.1f s  %.1fx real time", bar, percent, elapsed, speed);
    std::fflush (stderr);
}
} // namespace Tavo::Align
