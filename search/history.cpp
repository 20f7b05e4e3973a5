#include "search/history.h"

#include <cstring>

namespace {

constexpr int CUTOFFS = 0;
constexpr int TRIES = 1;

uint16_t* StatsPair(SearchThread& t, const Position& pos, Move move) {
  return t.history_stats[HistoryRow(pos.board[MoveFrom(move)])][FromTo(move)];
}

// Halves every history counter, rounding up, so that none reaches zero
// from one.
void HalveHistory(SearchThread& t) {
  for (auto& row : t.history)
    for (uint16_t& h : row) h = static_cast<uint16_t>((h + 1) / 2);
}

void HalvePair(uint16_t* pair) {
  pair[CUTOFFS] /= 2;
  pair[TRIES] /= 2;
}

}  // namespace

int HistoryRatio(const SearchThread& t, const Position& pos, Move move) {
  const uint16_t* pair = t.history_stats[HistoryRow(pos.board[MoveFrom(move)])][FromTo(move)];
  if (pair[TRIES] == 0) return FULL_RATIO;
  return pair[CUTOFFS] * FULL_RATIO / pair[TRIES];
}

void ClearSearchData(SearchThread& t) {
  std::memset(t.killers, 0, sizeof t.killers);
  std::memset(t.history, 0, sizeof t.history);
  for (auto& row : t.history_stats)
    for (auto& pair : row) pair[CUTOFFS] = pair[TRIES] = 1;
}

void UpdateKillersAndHistory(SearchThread& t, const Position& pos, Move move, int depth) {
  Move* killers = t.killers[pos.ply];
  if (killers[0] != move) {
    killers[1] = killers[0];
    killers[0] = move;
  }
  uint16_t& h = t.history[HistoryRow(pos.board[MoveFrom(move)])][FromTo(move)];
  const int grown = h + depth * depth;
  h = static_cast<uint16_t>(grown < 65535 ? grown : 65535);
  if (h >= HISTORY_LIMIT) HalveHistory(t);
}

void RecordCutoff(SearchThread& t, const Position& pos, Move move) {
  uint16_t* pair = StatsPair(t, pos, move);
  ++pair[CUTOFFS];
  ++pair[TRIES];
  if (pair[TRIES] >= HISTORY_LIMIT) HalvePair(pair);
}

void RecordTry(SearchThread& t, const Position& pos, Move move) {
  uint16_t* pair = StatsPair(t, pos, move);
  ++pair[TRIES];
  if (pair[TRIES] >= HISTORY_LIMIT) HalvePair(pair);
}
