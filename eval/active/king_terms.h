// The king and castling terms of the Active evaluation: trapped bishops,
// castling, the king-danger indices, king placement and king safety.
#pragma once

#include "board/position.h"
#include "eval/active/pawn_info.h"
#include "eval/material_info.h"

// A bishop shut in by an enemy pawn on the enemy's side (White's view).
int TrappedBishops(const Position& pos);

// Castling-related terms for the sides that could castle at the root.
int CastlingTerms(const Position& pos, const PawnInfo& info);

// Fills mi.danger_index and mi.adjusted_king for both sides and returns
// DANGER_Black[Black index] - DANGER_White[White index]. In the endgame
// the indices are 0 and the kings are not adjusted.
int KingDangerStage(const Position& pos, MaterialInfo& mi, const PawnInfo& info);

// Where the kings stand: central in the endgame, boxed in on the back rank.
int KingPlacement(const Position& pos, const MaterialInfo& mi);

// Attack units against each king ([BLACK], [WHITE]) turned into penalties
// by the king-danger indices (White's view).
int KingSafety(const MaterialInfo& mi, const int (&units)[2]);
