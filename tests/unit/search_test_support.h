// Helpers shared by the search tests: start-up tables, a fresh game from
// text, moves from coordinate text, and a search to a fixed depth.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "board/attacks.h"
#include "board/keys.h"
#include "board/legal_moves.h"
#include "board/movegen.h"
#include "board/set_position.h"
#include "eval/evaluate.h"
#include "search/search.h"
#include "search/transposition.h"

namespace search_test {

// A small table keeps the tests quick to clear.
inline constexpr int TEST_HASH_LOG = 2;

// Builds the start-up tables once per test program.
inline void EnsureEngineTables() {
  static const bool built = [] {
    InitAttackTables();
    InitKeys();
    InitTranspositionTable(TEST_HASH_LOG);
    InitCastleMasks();
    InitEvaluation();
    return true;
  }();
  (void)built;
}

// A new game from text: position, table, killers, history, caches and the
// remembered score all fresh, as the front end's new game leaves them.
inline std::unique_ptr<Position> NewGame(const char* fen) {
  EnsureEngineTables();
  auto pos = std::make_unique<Position>();
  SetPosition(*pos, fen);
  ClearHash();
  ClearSearchMemory();
  ResetLastIterationScore();
  PrepareEvaluation(true, pos->side, pos->state.castling);
  return pos;
}

// The legal move written as from and to squares ("e7e8" takes the queen).
inline Move MoveFromText(const Position& pos, const char* text) {
  Move list[MAX_MOVES];
  const int n = BuildLegalMoves(pos, list);
  const int from = SquareOf(text[0] - 'a', text[1] - '1');
  const int to = SquareOf(text[2] - 'a', text[3] - '1');
  for (int i = 0; i < n; ++i) {
    if (MoveFrom(list[i]) != from || MoveTo(list[i]) != to) continue;
    if (MovePromotion(list[i]) == 0 || MovePromotion(list[i]) == QUEEN) return list[i];
  }
  return 0;
}

inline std::string MoveText(Move move) {
  std::string text;
  text += static_cast<char>('a' + FileOf(MoveFrom(move)));
  text += static_cast<char>('1' + RankOf(MoveFrom(move)));
  text += static_cast<char>('a' + FileOf(MoveTo(move)));
  text += static_cast<char>('1' + RankOf(MoveTo(move)));
  return text;
}

// Searches the position with iterations 1 .. depth_limit - 1 (no clock).
inline const SearchResult& ThinkTo(Position& pos, int depth_limit) {
  Move list[MAX_MOVES];
  const int n = BuildLegalMoves(pos, list);
  search_record = SearchRecord{};
  search_record.request.depth_limit = depth_limit;
  Think(pos, list, n);
  return search_record.result;
}

// The move is in the position's legal list.
inline bool IsLegal(const Position& pos, Move move) {
  Move list[MAX_MOVES];
  const int n = BuildLegalMoves(pos, list);
  for (int i = 0; i < n; ++i)
    if (list[i] == move) return true;
  return false;
}

}  // namespace search_test
