// The Passive evaluation's positional terms, each White's view, as score
// pairs the evaluation blends by the phase.
#pragma once

#include "board/position.h"
#include "eval/passive/material_table.h"
#include "eval/passive/pawn_structure.h"
#include "eval/passive/score_pair.h"

namespace passive {

// What every term reads besides the position.
struct TermInput {
  const Position& pos;
  const MaterialEntry& material;
  const PawnStructure& pawns;
  Bitboard pawn_attacks[2];  // squares each side's pawns attack
};

// The input with the pawn attack sets filled in.
inline TermInput MakeTermInput(const Position& pos, const MaterialEntry& material, const PawnStructure& pawns) {
  const Bitboard white = pos.bitboards[PAWN][WHITE], black = pos.bitboards[PAWN][BLACK];
  constexpr Bitboard NOT_A = ~0x0101010101010101ULL, NOT_H = ~0x8080808080808080ULL;
  return {pos, material, pawns,
          {((black & NOT_A) >> 9) | ((black & NOT_H) >> 7), ((white & NOT_A) << 7) | ((white & NOT_H) << 9)}};
}

// Bishops shut in by enemy pawns, bishops and rooks blocked by their own
// side's pawns or king.
Pair TrappedPieces(const Position& pos);

// Mobility, placement and file terms of queens, rooks, bishops and knights.
Pair PieceTerms(const TermInput& in);

// The most advanced pawn of each passed file.
Pair PassedPawns(const TermInput& in);

// Shelter, pawn storm and the attack on each king (middle game only).
Pair KingSafety(const TermInput& in);

}  // namespace passive
