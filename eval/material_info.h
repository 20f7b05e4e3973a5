// The material record built at every evaluation from the position's packed
// material signature, and the imbalance correction added to its balance.
#pragma once

#include <cstdint>

// Counts and sums per side ([BLACK], [WHITE]); pawn units unless noted.
struct MaterialInfo {
  int pawns[2];
  int knights[2];
  int bishops[2];
  int rooks[2];
  int queens[2];
  int balance;           // centipawns, White's view: 100/300/300/500/900
  int minors[2];         // knights + bishops
  int majors[2];         // rooks + 2 x queens
  int piece_material[2]; // 3 x minors + 5 x rooks + 9 x queens
  bool endgame;          // either side's piece_material below 15
  int danger_index[2];   // king-danger index of each side's king
  int adjusted_king[2];  // king square used for distances by the piece terms
};

// Reads the signature: pawns from their 4-bit field, each piece kind from
// its whole 3-bit field so that a fourth queen is not read as none.
MaterialInfo BuildMaterialInfo(uint32_t material);

// Correction for unequal trades of minor against major pieces (White's
// view, centipawns).
int Imbalance(const MaterialInfo& mi);
