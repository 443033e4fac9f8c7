#pragma once

namespace Tavo
{
class TavoMaster;

/** Analyses the master's current window over every track that has captured
    it: aligns the tracks' phases group by group, publishes one correction per
    track and fills the tracks' peer tables and band displays.
    Master thread, registry held for reading. Throws std::bad_alloc when the
    matrices cannot be allocated. */
void analyseWindow (TavoMaster& master);
} // namespace Tavo
