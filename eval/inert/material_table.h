// The Inert material table: one entry per material configuration that the
// position's mixed-radix material_index can name, built at start-up, with
// the flags the evaluation branches on and the material correction.
#pragma once

#include <cstdint>

#include "board/position.h"

namespace inert {

inline constexpr uint32_t MATERIAL_TABLE_SIZE = 236196;  // 4 x 3^10

// Flag word: phase in bits 0..7, then single-bit facts.
inline constexpr uint16_t PHASE_MASK = 0xFF;
inline constexpr uint16_t BLACK_KING_EXPOSED = 0x400;  // White has a queen and another piece
inline constexpr uint16_t WHITE_KING_EXPOSED = 0x800;  // Black has a queen and another piece
inline constexpr uint16_t BISHOPS_ONLY = 0x1000;       // one bishop each, pawns within two
inline constexpr uint16_t BLACK_MATES_BARE = 0x2000;   // White's king is bare, Black can mate
inline constexpr uint16_t WHITE_MATES_BARE = 0x4000;   // Black's king is bare, White can mate

struct MaterialEntry {
  uint16_t flags;
  int16_t correction;  // internal units, White's view, added to units x PawnUnit
};

// The men of one material configuration, by side ([BLACK], [WHITE]).
struct MaterialCounts {
  int pawns[2];
  int knights[2];
  int bishops[2];
  int rooks[2];
  int queens[2];
};

// The same men with the colours exchanged.
MaterialCounts ColoursSwapped(const MaterialCounts& counts);

// The configuration an index names (index below MATERIAL_TABLE_SIZE).
MaterialCounts CountsOfIndex(uint32_t index);

// The index of a configuration; every count must fit its digit.
uint32_t IndexOfCounts(const MaterialCounts& counts);

// The flag word of a configuration.
uint16_t MaterialFlags(const MaterialCounts& counts);

// True for the small configurations that are drawn whatever the balance
// says; their correction cancels the balance.
bool ClassifySmall(const MaterialCounts& counts);

// ConfigTable's entry for the configuration's pieces (pawns aside).
int ConfigTable(const MaterialCounts& counts);

// The correction the pawn formula gives, ConfigTable included.
int PawnFormula(const MaterialCounts& counts);

// Correction of a configuration ClassifySmall rejects: its record when
// MaterialRecords names it, else the pawn formula.
int MaterialFormula(const MaterialCounts& counts);

// The table entry of a configuration, as the start-up build stores it.
MaterialEntry MaterialEntryOf(const MaterialCounts& counts);

// Fills the table; called once at start-up.
void BuildMaterialTable();

// The position's entry, or nullptr when its men exceed the table's digits
// (a second queen, a third rook or minor, a ninth pawn).
const MaterialEntry* MaterialEntryFor(const Position& pos);

}  // namespace inert
