// Start-up of the Inert evaluation: its piece-square pairs, king zones
// and material table.
#pragma once

namespace inert {

// Builds the Inert tables; called once at start-up, before any set-up.
void InitInertEvaluation();

}  // namespace inert
