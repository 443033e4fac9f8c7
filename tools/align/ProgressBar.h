#pragma once

#include <chrono>
#include <cstdio>

namespace Tavo::Align
{
/** A one-line progress bar on standard error, shown only on a terminal:
    percent, elapsed time and speed as a multiple of real time. */
class ProgressBar
{
public:
    ProgressBar (double audioSeconds, bool enabled);
    ~ProgressBar();

    void update (double fractionDone);

private:
    double audioSeconds;
    bool shown;
    int lastPercent = -1;
    std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
};
} // namespace Tavo::Align
