// Zobrist hash keys and the castling-rights masks, built at start-up.
#pragma once

#include <cstdint>

// One key per piece code and square; rows 0, 7, 8 and 15 stay zero.
extern uint64_t piece_keys[16][64];
// One key per castling-right bit.
extern uint64_t castle_keys[4];
// One key per file of the en-passant square.
extern uint64_t ep_keys[8];
// The XOR of the castle_keys of every 4-bit set of rights.
extern uint64_t castle_key_sets[16];
// Per square, the castling rights that survive a move from or to it.
extern uint8_t castle_mask[64];

// XORed into the key when White is to move.
inline constexpr uint64_t side_key = 0x7FFB432EB007CECFULL;

// Draws the piece, castling and en-passant keys. It restarts the generator
// first, so the keys are the same in every run however often it is called.
void InitKeys();

// Fills castle_mask and castle_key_sets (after InitKeys).
void InitCastleMasks();
