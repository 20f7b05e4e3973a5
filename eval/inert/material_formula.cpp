// MaterialFormula: a configuration's correction from its record, or else
// from the pawn formula (what a pawn is worth beside the pieces on the
// board) plus ConfigTable (what the pieces are worth against each other).
#include <algorithm>
#include <cstdlib>

#include "eval/inert/material_records.h"
#include "eval/inert/material_table.h"

namespace inert {
namespace {

// Per-pawn value by queens of both colours (row), enemy rooks, own rooks.
constexpr int16_t PawnRookTable[27] = {
    125, 273, 397, /**/ 260, 385, 508, /**/ 374, 498, 641,  // Q 0
    374, 498, 641, /**/ 490, 633, 753, /**/ 625, 746, 865,  // Q 1
    625, 746, 865, /**/ 740, 858, 864, /**/ 853, 858, 863,  // Q 2
};

// Per-pawn value by M = rooks + 2 x queens of both colours (row) and
// g = enemy knights + bishops of both colours (column).
constexpr int16_t PawnMinorTable[63] = {
    123, 190, 257, 304, 373, 442, 488,  // M 0
    123, 168, 237, 304, 352, 420, 488,  // M 1
    123, 190, 237, 304, 373, 420, 488,  // M 2
    123, 191, 257, 304, 373, 442, 488,  // M 3
    123, 169, 237, 304, 352, 352, 352,  // M 4
    123, 190, 237, 237, 237, 237, 237,  // M 5
    123, 123, 123, 123, 123, 123, 123,  // M 6
    123, 123, 123, 123, 123, 123, 123,  // M 7
    123, 123, 123, 123, 123, 123, 123,  // M 8
};

// Per-pawn deduction by M (row), m = minors of both colours (column) and
// own knights 0/1/2 (the three values of a cell).
constexpr uint8_t PawnKnightTable[243] = {
    // m 0       m 1        m 2        m 3         m 4          m 5          m 6          m 7          m 8
    23, 23, 23,  23, 45, 23,  23, 45, 68,  23, 68, 90,   23, 45, 90,   23, 45, 68,   23, 68, 90,   23, 45, 90,   23, 23, 68,   // M 0
    23, 23, 23,  23, 68, 23,  23, 45, 90,  23, 45, 68,   23, 68, 90,   23, 45, 90,   23, 45, 68,   23, 68, 90,   23, 23, 90,   // M 1
    23, 23, 23,  23, 45, 23,  23, 68, 90,  23, 45, 90,   23, 45, 68,   23, 68, 90,   23, 45, 90,   23, 45, 68,   23, 23, 90,   // M 2
    23, 23, 23,  23, 45, 23,  23, 45, 68,  23, 68, 90,   23, 45, 90,   23, 45, 68,   23, 68, 90,   23, 113, 158, 23, 23, 203,  // M 3
    23, 23, 23,  23, 68, 23,  23, 45, 90,  23, 45, 68,   23, 68, 90,   23, 113, 158, 23, 113, 203, 23, 113, 203, 23, 23, 203,  // M 4
    23, 23, 23,  23, 45, 23,  23, 68, 90,  23, 113, 158, 23, 113, 203, 23, 113, 203, 23, 113, 203, 23, 113, 203, 23, 23, 203,  // M 5
    23, 23, 23,  23, 113, 23, 23, 113, 203, 23, 113, 203, 23, 113, 203, 23, 113, 203, 23, 113, 203, 23, 113, 203, 23, 23, 203, // M 6
    23, 23, 23,  23, 113, 23, 23, 113, 203, 23, 113, 203, 23, 113, 203, 23, 113, 203, 23, 113, 203, 23, 113, 203, 23, 23, 203, // M 7
    23, 23, 23,  23, 113, 23, 23, 113, 203, 23, 113, 203, 23, 113, 203, 23, 113, 203, 23, 113, 203, 23, 113, 203, 23, 23, 203, // M 8
};

// ConfigTable holds 123 plus the worth, in White's favour, of the pieces
// one colour has beyond the other's. Its entries follow from the
// differences in each kind (White's count minus Black's) by these rows:
// a lone extra knight is worth 880 units less than three pawns, a lone
// extra bishop 269 less, a rook 48 more, a queen 1482 less; two extra
// bishops (the pair) are worth 1114 more than six pawns, two extra
// knights or rooks twice one. A bishop traded for a knight gains 45 less
// than the two single values say, and a rook for a minor (the exchange)
// 146 less. Black's differences mirror White's.
constexpr int CONFIG_NONE = 123;
constexpr int KnightDiff[5] = {1760, 880, 0, -880, -1760};  // by difference -2..+2
constexpr int BishopDiff[5] = {-1114, 269, 0, -269, 1114};
constexpr int RookDiff[5] = {-96, -48, 0, 48, 96};
constexpr int QueenDiff[3] = {1482, 0, -1482};              // by difference -1..+1
constexpr int MinorSwap = -45;     // per bishop gained for a knight
constexpr int ExchangeSwap = -146;  // per rook gained for a minor

int Diff(const int (&count)[2]) { return count[WHITE] - count[BLACK]; }

}  // namespace

// ConfigTable, computed from its rows; the configuration is named by the
// counts (queens 0-1, rooks, bishops and knights 0-2 per colour).
int ConfigTable(const MaterialCounts& c) {
  const int dn = Diff(c.knights), db = Diff(c.bishops), dr = Diff(c.rooks), dq = Diff(c.queens);
  // Counts past the table's (a third knight, a second queen) read as its
  // last row rather than beyond it.
  int value = CONFIG_NONE + KnightDiff[std::clamp(dn, -2, 2) + 2] + BishopDiff[std::clamp(db, -2, 2) + 2] +
              RookDiff[std::clamp(dr, -2, 2) + 2] + QueenDiff[std::clamp(dq, -1, 1) + 1];
  if (db != 0 && dn == -db && dr == 0) value += MinorSwap * db;
  if (dr != 0 && dn + db == -dr) value += ExchangeSwap * dr;
  return value;
}

// The pawn formula: each colour's pawns valued by the pieces beside them.
int PawnFormula(const MaterialCounts& c) {
  const int queens = c.queens[WHITE] + c.queens[BLACK];
  const int majors = c.rooks[WHITE] + c.rooks[BLACK] + 2 * queens;
  const int minors = c.knights[WHITE] + c.knights[BLACK] + c.bishops[WHITE] + c.bishops[BLACK];
  const int all_bishops = c.bishops[WHITE] + c.bishops[BLACK];
  int value[2];
  for (int side = 0; side < 2; ++side) {
    const int enemy = side ^ 1;
    value[side] = PawnRookTable[(queens * 3 + c.rooks[enemy]) * 3 + c.rooks[side]] +
                  PawnMinorTable[(c.knights[enemy] + all_bishops) + 7 * majors] -
                  PawnKnightTable[c.knights[side] + 3 * (9 * majors + minors)] + 24;
  }
  return value[BLACK] * c.pawns[BLACK] - value[WHITE] * c.pawns[WHITE] + ConfigTable(c) - CONFIG_NONE;
}

MaterialCounts ColoursSwapped(const MaterialCounts& c) {
  MaterialCounts swapped;
  for (int s = 0; s < 2; ++s) {
    swapped.pawns[s] = c.pawns[s ^ 1];
    swapped.knights[s] = c.knights[s ^ 1];
    swapped.bishops[s] = c.bishops[s ^ 1];
    swapped.rooks[s] = c.rooks[s ^ 1];
    swapped.queens[s] = c.queens[s ^ 1];
  }
  return swapped;
}

int MaterialFormula(const MaterialCounts& c) {
  uint32_t men;
  if (PackRecordMen(c, &men)) {
    if (const uint32_t* record = FindMaterialRecord(men)) return RecordCorrection(*record);
    if (PackRecordMen(ColoursSwapped(c), &men))
      if (const uint32_t* record = FindMaterialRecord(men)) return -RecordCorrection(*record);
  }
  return PawnFormula(c);
}

}  // namespace inert
