// The Inert evaluation's weights in one block. Everything is in internal
// units of 1/32 centipawn from White's view unless it says otherwise;
// Black's terms subtract the same amounts on the mirrored square.
#pragma once

#include <cstdint>

namespace inert {

inline constexpr int Tempo = 3;          // centipawns for the side to move
inline constexpr int PhaseDivisor = 24;  // phase 0 = all pieces, 24 = none
inline constexpr int UnitDivisor = 32;   // internal units per centipawn
inline constexpr int PawnUnit = 3399;    // one material unit (a pawn)

// Mobility, per attacked square of the mobility area.
inline constexpr int KnightMobMid = 14, KnightMobEnd = 121;
inline constexpr int BishopMobMid = 149, BishopMobEnd = 116;
inline constexpr int RookMobMid = 84, RookMobEnd = 79;
inline constexpr int QueenMobMid = 54, QueenMobEnd = 37;

// Weight of a piece whose attacks reach the enemy king zone.
inline constexpr int KnightAttack = 941;
inline constexpr int BishopAttack = 418;
inline constexpr int RookAttack = 666;
inline constexpr int QueenAttack = 532;

// Rooks and queens.
inline constexpr int RookHalfOpenMid = 64, RookHalfOpenEnd = 256;
inline constexpr int RookOpenMid = 971, RookOpenEnd = 172;
inline constexpr int RookKingFile = 121, RookKingFileKing = 853;
inline constexpr int RookSeventhMid = 246, RookSeventhEnd = 1026;
inline constexpr int QueenSeventhEnd = 1420;

// Badly placed pieces.
inline constexpr int TrappedBishop = 1802;
inline constexpr int BlockedPiece = 1920;

// A passer the bare enemy king cannot catch.
inline constexpr int UnstoppablePasser = 25600;

// Pawn structure.
inline constexpr int DoubledEnd = 158;
inline constexpr int IsolatedEnd = 324;
inline constexpr int IsolatedOpenMid = 923;
inline constexpr int IsolatedClosedMid = 79;
inline constexpr int BackwardOpenMid = 872, BackwardClosedMid = 406, BackwardEnd = 297;

// By relative rank 1..8 (index 0..7).
inline constexpr int CandidateMid[8] = {-500, -500, -500, -118, 631, 1763, 3263, 3263};
inline constexpr int CandidateEnd[8] = {-482, -482, -482, -319, 1, 485, 1126, 1126};
inline constexpr int PassedMid[8] = {-500, -500, -500, -11, 950, 2400, 4321, 4321};
inline constexpr int PassedEnd[8] = {-354, -354, -354, -164, 209, 773, 1520, 1520};
inline constexpr int PassedOwnPathFree[8] = {-500, -500, -500, -474, -422, -343, -238, -238};
inline constexpr int PassedEnemyPathFree[8] = {-500, -500, -500, -367, -106, 288, 811, 811};
inline constexpr int PassedPathSafe[8] = {-500, -500, -500, -399, -200, 101, 500, 500};
inline constexpr int PassedOwnKing[8] = {-500, -500, -500, -434, -305, -109, 150, 150};
inline constexpr int PassedEnemyKing[8] = {-500, -500, -500, -369, -111, 279, 795, 795};

// Scale (per 32) of the summed attack weights by the number of attackers.
inline constexpr int KingAttackScale[16] = {0, -1, 37, 71, 100, 100, 100, 100,
                                            100, 100, 100, 100, 100, 100, 100, 100};

// Midgame bonus of a knight per own pawn defending it; White's squares,
// printed rank 8 first.
inline constexpr int8_t KnightSupport[64] = {
    0, 0, 0, 0, 0, 0, 0, 0,  // 8
    0, 0, 0, 0, 0, 0, 0, 0,  // 7
    0, 0, 2, 5, 5, 2, 0, 0,  // 6
    0, 1, 2, 5, 5, 2, 1, 0,  // 5
    0, 1, 2, 5, 5, 2, 1, 0,  // 4
    0, 0, 0, 0, 0, 0, 0, 0,  // 3
    0, 0, 0, 0, 0, 0, 0, 0,  // 2
    0, 0, 0, 0, 0, 0, 0, 0,  // 1
};

}  // namespace inert
