// Helpers shared by the board tests: start-up tables, positions from text
// and back, keys recomputed from nothing, and whole-record comparisons.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "board/attacks.h"
#include "board/keys.h"
#include "board/legal_moves.h"
#include "board/make_move.h"
#include "board/movegen.h"
#include "board/position.h"
#include "board/psq_pairs.h"
#include "board/set_position.h"

namespace board_test {

// Builds the start-up tables once per test program.
inline void EnsureBoardTables() {
  static const bool built = [] {
    InitAttackTables();
    InitKeys();
    InitCastleMasks();
    return true;
  }();
  (void)built;
}

// A fresh record set up from text (records are too large for small stacks).
inline std::unique_ptr<Position> PositionFrom(const char* fen) {
  EnsureBoardTables();
  auto pos = std::make_unique<Position>();
  SetPosition(*pos, fen);
  return pos;
}

// The position as text: board, side, castling rights, en-passant square.
inline std::string FenOf(const Position& pos) {
  std::string fen;
  for (int rank = 7; rank >= 0; --rank) {
    int empty = 0;
    for (int file = 0; file < 8; ++file) {
      const int code = pos.board[SquareOf(file, rank)];
      if (code == 0) {
        ++empty;
        continue;
      }
      if (empty) fen += static_cast<char>('0' + empty);
      empty = 0;
      fen += PIECE_LETTERS[code];
    }
    if (empty) fen += static_cast<char>('0' + empty);
    if (rank) fen += '/';
  }
  fen += pos.side == WHITE ? " w " : " b ";
  const char* letters = "KQkq";
  for (int bit = 0; bit < 4; ++bit)
    if (pos.state.castling & (1 << bit)) fen += letters[bit];
  if (!pos.state.castling) fen += '-';
  fen += ' ';
  if (pos.state.ep_square >= 0) {
    fen += static_cast<char>('a' + FileOf(pos.state.ep_square));
    fen += static_cast<char>('1' + RankOf(pos.state.ep_square));
  } else {
    fen += '-';
  }
  return fen;
}

// The position key by its definition, from the board array alone.
inline uint64_t KeyFromScratch(const Position& pos) {
  uint64_t key = 0;
  for (int sq = 0; sq < 64; ++sq)
    if (pos.board[sq]) key ^= piece_keys[pos.board[sq]][sq];
  for (int bit = 0; bit < 4; ++bit)
    if (pos.state.castling & (1 << bit)) key ^= castle_keys[bit];
  if (pos.state.ep_square >= 0) key ^= ep_keys[pos.state.ep_square & 7];
  if (pos.side == WHITE) key ^= side_key;
  return key;
}

// The pawn key by its definition.
inline uint64_t PawnKeyFromScratch(const Position& pos) {
  uint64_t key = 0;
  for (int sq = 0; sq < 64; ++sq)
    if (KindOf(pos.board[sq]) == PAWN) key ^= piece_keys[pos.board[sq]][sq];
  return key;
}

// Bytes of the record from its start up to (not including) `nodes`: every
// view of the board, the keys, counters and accumulators.
inline bool BoardPartEqual(const Position& a, const Position& b) {
  return std::memcmp(&a, &b, offsetof(Position, nodes)) == 0;
}

// Every view that a fresh set-up of the same text derives from the board:
// bitboards, rotated boards, pawn files, keys, material and accumulators,
// counts, king squares, castling, en passant and check.
inline void ExpectSameViews(const Position& incremental, const Position& fresh) {
  EXPECT_EQ(0, std::memcmp(incremental.bitboards, fresh.bitboards, sizeof fresh.bitboards));
  EXPECT_EQ(incremental.rotated_a1h8, fresh.rotated_a1h8);
  EXPECT_EQ(incremental.rotated_h1a8, fresh.rotated_h1a8);
  EXPECT_EQ(incremental.rotated_files, fresh.rotated_files);
  EXPECT_EQ(incremental.pawn_files[0], fresh.pawn_files[0]);
  EXPECT_EQ(incremental.pawn_files[1], fresh.pawn_files[1]);
  EXPECT_EQ(incremental.key, fresh.key);
  EXPECT_EQ(incremental.pawn_key, fresh.pawn_key);
  EXPECT_EQ(incremental.material, fresh.material);
  EXPECT_EQ(incremental.piece_count[0], fresh.piece_count[0]);
  EXPECT_EQ(incremental.piece_count[1], fresh.piece_count[1]);
  EXPECT_EQ(incremental.king_square[0], fresh.king_square[0]);
  EXPECT_EQ(incremental.king_square[1], fresh.king_square[1]);
  EXPECT_EQ(incremental.state.castling, fresh.state.castling);
  EXPECT_EQ(incremental.state.ep_square, fresh.state.ep_square);
  EXPECT_EQ(incremental.state.in_check, fresh.state.in_check);
  EXPECT_EQ(incremental.side, fresh.side);
  EXPECT_EQ(0, std::memcmp(incremental.board, fresh.board, sizeof fresh.board));
#if defined(QUORVEL_PASSIVE) || defined(QUORVEL_INERT)
  EXPECT_EQ(incremental.pst_mid, fresh.pst_mid);
  EXPECT_EQ(incremental.pst_end, fresh.pst_end);
#endif
#if defined(QUORVEL_PASSIVE)
  EXPECT_EQ(incremental.state.phase_count, fresh.state.phase_count);
#endif
#if defined(QUORVEL_INERT)
  EXPECT_EQ(incremental.material_units, fresh.material_units);
  EXPECT_EQ(incremental.material_index, fresh.material_index);
#endif
}

// The complete legal list as a vector.
inline std::vector<Move> LegalMoves(const Position& pos) {
  Move moves[MAX_MOVES];
  const int count = BuildLegalMoves(pos, moves);
  return std::vector<Move>(moves, moves + count);
}

// The words a generator writes, up to its terminator.
template <typename Generator>
std::vector<Move> Generated(const Position& pos, Generator generate) {
  Move moves[MAX_MOVES];
  const Move* end = generate(pos, moves);
  EXPECT_EQ(*end, 0) << "generators end their list with a 0 word";
  return std::vector<Move>(static_cast<const Move*>(moves), end);
}

// Parses "e2e4" style text (with an optional promotion letter) into a move
// word with the flags the generators give it in pos.
inline Move MoveFromText(const Position& pos, const std::string& text) {
  const int from = (text[0] - 'a') + 8 * (text[1] - '1');
  const int to = (text[2] - 'a') + 8 * (text[3] - '1');
  for (Move move : LegalMoves(pos)) {
    if (MoveFrom(move) != from || MoveTo(move) != to) continue;
    const int promotion = MovePromotion(move);
    const char letter = promotion ? " pnbrqk"[promotion] : 0;
    if (letter == (text.size() > 4 ? text[4] : 0)) return move;
  }
  ADD_FAILURE() << "no legal move " << text << " in " << FenOf(pos);
  return 0;
}

// Plays a list of moves in text, keeping the undo records.
struct Line {
  std::vector<UndoRecord> undo;
  std::vector<Move> moves;

  void Play(Position& pos, const std::string& text) {
    const Move move = MoveFromText(pos, text);
    undo.emplace_back();
    moves.push_back(move);
    SaveState(pos, undo.back());
    MakeMove(pos, undo.back(), move, -1);
  }
};

// Calls visit(pos) at every node of the legal move tree down to depth
// plies below pos (the root included), restoring pos on the way back.
template <typename Visit>
void ForEachNode(Position& pos, int depth, Visit visit) {
  visit(pos);
  if (depth == 0) return;
  Move moves[MAX_MOVES];
  const int count = BuildLegalMoves(pos, moves);
  for (int i = 0; i < count; ++i) {
    UndoRecord undo;
    SaveState(pos, undo);
    MakeMove(pos, undo, moves[i], -1);
    ForEachNode(pos, depth - 1, visit);
    UnmakeMove(pos, undo, moves[i]);
  }
}

// A small deterministic generator for random walks.
struct Lcg {
  uint64_t state;
  uint32_t Next(uint32_t bound) {
    state = state * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<uint32_t>((state >> 33) % bound);
  }
};

// Varied positions for the generator and make/unmake tests: openings,
// middle games, castling, en passant, promotions, checks and pins.
inline const std::vector<const char*>& SamplePositions() {
  static const std::vector<const char*> positions = {
      START_FEN,
      "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -",
      "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - -",
      "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1",
      "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8",
      "r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - - 0 10",
      "8/8/1k6/2b5/2pP4/8/5K2/8 b - d3 0 1",
      "3k4/3p4/8/K1P4r/8/8/8/8 b - - 0 1",
      "2K2r2/4P3/8/8/8/8/8/3k4 w - - 0 1",
      "8/8/1P2K3/8/2n5/1q6/8/5k2 b - - 0 1",
      "r3k2r/8/3Q4/8/8/5q2/8/R3K2R b KQkq - 0 1",
      "4k3/8/8/2KPp1r1/8/8/8/8 w - e6 0 1",
      "r1bqkbnr/pppp1ppp/2n5/4p3/2B1P3/5Q2/PPPP1PPP/RNB1K1NR w KQkq - 0 1",
      "4k2r/6P1/8/3pP3/8/8/1p6/R3K3 w Qk d6 0 1",
      "1k6/8/8/8/3B4/8/1r3R2/K3R3 w - - 0 1",
      // In check: double check, pawn check answered en passant, mate.
      "4r1k1/8/8/1b6/8/8/4K3/8 w - - 0 1",
      "8/8/8/2k5/3Pp3/8/8/4K3 b - d3 0 1",
      "r1bqkbnr/pppp1Qpp/2n5/4p3/2B1P3/8/PPPP1PPP/RNB1K1NR b KQkq - 0 1",
      "4k3/8/8/8/1b6/8/8/RN2K2R w KQ - 0 1",
  };
  return positions;
}

// From every sample position plays up to `plies` random legal moves and
// takes them all back, calling check(pos) after each make and unmake.
template <typename Check>
void RandomGamesThereAndBack(uint64_t seed, int plies, Check check) {
  Lcg random{seed};
  for (const char* fen : SamplePositions()) {
    auto pos = PositionFrom(fen);
    check(*pos);
    Line line;
    for (int ply = 0; ply < plies; ++ply) {
      const std::vector<Move> moves = LegalMoves(*pos);
      if (moves.empty()) break;
      const Move move = moves[random.Next(static_cast<uint32_t>(moves.size()))];
      line.undo.emplace_back();
      line.moves.push_back(move);
      SaveState(*pos, line.undo.back());
      MakeMove(*pos, line.undo.back(), move, -1);
      check(*pos);
    }
    while (!line.moves.empty()) {
      UnmakeMove(*pos, line.undo.back(), line.moves.back());
      check(*pos);
      line.undo.pop_back();
      line.moves.pop_back();
    }
  }
}

// Fills the pair table with distinct values and restores it afterwards.
struct FilledPairTable {
  ScorePair saved[16][64];
  FilledPairTable() {
    std::memcpy(saved, psq_pair, sizeof saved);
    for (int code = 0; code < 16; ++code)
      for (int sq = 0; sq < 64; ++sq)
        psq_pair[code][sq] = {static_cast<int16_t>(code * 37 - sq * 3 + 11),
                              static_cast<int16_t>(sq * 5 - code * 13 - 7)};
  }
  ~FilledPairTable() { std::memcpy(psq_pair, saved, sizeof saved); }
};

}  // namespace board_test
