#pragma once

#include <iosfwd>

namespace Tavo::Align
{
/** The whole of tavo-align: parses the command line, reads the inputs, aligns
    them and writes every output. Returns the process exit code: 0 on
    success, 2 for a usage error, 1 for a file that cannot be read or written.
    Messages go to `out` (results) and `err` (errors, one line each). */
int runAlignCommand (int argc, const char* const* argv, std::ostream& out, std::ostream& err);
} // namespace Tavo::Align
