// The Inert piece-square values, entered into the board's psq_pair table
// that the position's pst_mid and pst_end sums are kept from.
#pragma once

namespace inert {

// Fills psq_pair for every piece code and square; before any set-up.
void FillPieceSquarePairs();

}  // namespace inert
