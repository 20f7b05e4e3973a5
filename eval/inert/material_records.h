// MaterialRecords: the material configurations whose correction is known
// rather than computed, packed one per 32-bit word and grouped by their
// queens and rooks.
#pragma once

#include <cstdint>

#include "eval/inert/material_table.h"

namespace inert {

// Record layout, from bit 0:
//   bit  0      White queens     bit  1      Black queens
//   bits 2..3   White rooks      bits 4..5   Black rooks    (bits 0..5: group key)
//   bits 6..7   White bishops    bits 8..9   Black bishops
//   bits 10..11 White knights    bits 12..13 Black knights
//   bits 14..16 White pawns      bits 17..19 Black pawns
//   bits 20..31 correction / 4: 0..16380, internal units in White's favour
inline constexpr int RECORD_GROUP_BITS = 6;
inline constexpr uint32_t RECORD_MEN_MASK = (1u << 20) - 1;
inline constexpr int MATERIAL_RECORD_TOTAL = 1312;  // what the rows unroll to

// The men of one side, read from letters such as "KBNP" (the king is
// optional), so that material lists read as chess players write them.
struct Men {
  int p = 0, n = 0, b = 0, r = 0, q = 0;
};

constexpr Men ParseMen(const char* text) {
  Men men;
  for (; *text; ++text) {
    switch (*text) {
      case 'P': ++men.p; break;
      case 'N': ++men.n; break;
      case 'B': ++men.b; break;
      case 'R': ++men.r; break;
      case 'Q': ++men.q; break;
      default: break;
    }
  }
  return men;
}

// The configuration of White's and Black's men.
constexpr MaterialCounts CountsOf(const Men& white, const Men& black) {
  return {{black.p, white.p}, {black.n, white.n}, {black.b, white.b}, {black.r, white.r}, {black.q, white.q}};
}

// The men of a configuration packed as a record's bits 0..19; false when a
// count does not fit its field.
bool PackRecordMen(const MaterialCounts& counts, uint32_t* men);

// The record naming exactly these men, or nullptr.
const uint32_t* FindMaterialRecord(uint32_t men);

// A record's correction in internal units.
inline int RecordCorrection(uint32_t record) { return static_cast<int>(record >> 20) * 4; }

// Builds the group index over the sorted records; called at start-up.
void BuildRecordIndex();

// Every record, sorted by group key, and their number.
extern const uint32_t* const MATERIAL_RECORDS;
extern const int MATERIAL_RECORD_COUNT;

}  // namespace inert
