#pragma once

namespace Tavo
{
class TavoMaster;

/** Analyses the master's current window over every track that has captured
    it and publishes one correction per track. Master thread, registry held
    for reading. */
void analyseWindow (TavoMaster& master);
} // namespace Tavo
