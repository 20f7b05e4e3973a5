// Helpers shared by the evaluation tests: positions prepared as a search
// would prepare them, colour-flipped text and single-term access.
#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "board/attacks.h"
#include "board/keys.h"
#include "board/position.h"
#include "board/set_position.h"
#include "board_test_support.h"
#include "eval/active/pawn_info.h"
#include "eval/active/pawn_structure.h"
#include "eval/evaluate.h"
#include "eval/material_info.h"

namespace eval_test {

// Builds the start-up tables once per test program.
inline void EnsureTables() {
  static const bool built = [] {
    InitAttackTables();
    InitKeys();
    InitCastleMasks();
    InitEvaluation();
    return true;
  }();
  (void)built;
}

// A position set up from text and prepared as a new game followed by a
// search with root_side to move (-1: the position's side to move). The
// opponent counts as a computer unless said otherwise, which switches the
// blocked-chain term off.
inline std::unique_ptr<Position> Prepared(const std::string& fen, int root_side = -1,
                                          bool opponent_is_computer = true) {
  EnsureTables();
  auto pos = std::make_unique<Position>();
  SetPosition(*pos, fen.c_str());
  SetOpponentIsComputer(opponent_is_computer);
  PrepareEvaluation(true, pos->side, pos->state.castling);
  PrepareEvaluation(false, root_side < 0 ? pos->side : root_side, pos->state.castling);
  return pos;
}

// The score from White's view.
inline int WhiteView(const Position& pos) {
  const int score = Evaluate(pos);
  return pos.side == WHITE ? score : -score;
}

// The pawn record computed afresh.
inline PawnInfo PawnInfoOf(const Position& pos) {
  PawnInfo info;
  EvaluatePawnStructure(pos, info);
  return info;
}

using board_test::FenOf;

// The same position with the colours exchanged and the board turned top
// to bottom: ranks reversed, letters' case swapped, the other side to move.
inline std::string MirrorFen(const std::string& fen) {
  std::istringstream in(fen);
  std::string board, side, castling = "-", ep = "-";
  in >> board >> side >> castling >> ep;
  std::vector<std::string> ranks;
  std::string rank;
  for (char c : board + "/") {
    if (c == '/') {
      ranks.push_back(rank);
      rank.clear();
    } else {
      rank += std::isupper(static_cast<unsigned char>(c)) ? static_cast<char>(std::tolower(c))
                                                          : static_cast<char>(std::toupper(c));
    }
  }
  std::string out;
  for (auto it = ranks.rbegin(); it != ranks.rend(); ++it) out += (out.empty() ? "" : "/") + *it;
  std::string rights;
  for (char c : std::string("KQkq")) {
    const char swapped = std::isupper(static_cast<unsigned char>(c)) ? static_cast<char>(std::tolower(c))
                                                                     : static_cast<char>(std::toupper(c));
    if (castling.find(swapped) != std::string::npos) rights += c;
  }
  if (rights.empty()) rights.push_back('-');
  if (ep != "-") ep[1] = static_cast<char>('1' + '8' - ep[1]);
  return out + (side == "w" ? " b " : " w ") + rights + " " + ep;
}

}  // namespace eval_test
