#include "search/quiesce.h"

#include "board/attacks.h"
#include "board/exchange.h"
#include "board/make_move.h"
#include "board/movegen.h"
#include "eval/evaluate.h"
#include "eval/recognized_draw.h"
#include "search/move_picker.h"

namespace {

// Bonus on top of the victim's value that a capture must still fail to
// reach alpha with before it is pruned; an en-passant capture counts as
// this plus a pawn, and a promotion adds a queen less a pawn.
constexpr int DELTA_MARGIN = 50;
constexpr int EN_PASSANT_ESTIMATE = 150;
constexpr int PROMOTION_ESTIMATE = 900;

// The quiescence picker: non-losing captures best first, then (when
// allowed) the quiet checks in generation order.
struct QuiescePicker {
  Position* pos;
  bool allow_checks;
  bool checks_generated;
  int cursor;
  int count;
  Move moves[MAX_MOVES];
  int16_t keys[MAX_MOVES];
};

void InitQuiescePicker(QuiescePicker& p, Position& pos, bool allow_checks) {
  p.pos = &pos;
  p.allow_checks = allow_checks;
  p.checks_generated = false;
  p.cursor = p.count = 0;
  Move generated[MAX_MOVES];
  Move* end = GenCaptures(pos, generated);
  for (Move* m = generated; m < end; ++m) {
    const int key = CaptureKey(pos, *m);
    if (key < 0) continue;  // losing captures are not searched here
    p.moves[p.count] = *m;
    p.keys[p.count++] = static_cast<int16_t>(key);
    PrefetchEvaluationByKey(KeyAfterMove(pos, *m));
  }
  SortMoves(p.moves, p.keys, p.count);
}

// A quiet check is skipped when both exchange estimates say it loses.
bool CheckLosesMaterial(const Position& pos, Move move) {
  const int plain = PIECE_VALUE[KindOf(pos.board[MoveTo(move)])] -
                    PIECE_VALUE[KindOf(pos.board[MoveFrom(move)])];
  return plain < 0 && ExchangeValue(pos, move) < 0;
}

Move NextQuiesceMove(QuiescePicker& p) {
  while (true) {
    while (p.cursor < p.count) {
      const Move move = p.moves[p.cursor++];
      if (p.checks_generated && CheckLosesMaterial(*p.pos, move)) continue;
      if (MoveIsLegal(*p.pos, move)) return move;
    }
    if (!p.allow_checks || p.checks_generated) return 0;
    p.checks_generated = true;
    p.cursor = 0;
    p.count = static_cast<int>(GenQuietChecks(*p.pos, p.moves) - p.moves);
  }
}

// Relative rank of a square for side (0 = own first rank).
int RelativeRank(int square, int side) {
  return side == WHITE ? RankOf(square) : 7 - RankOf(square);
}

// Captures that delta pruning never skips: a pawn reaching its seventh or
// eighth rank, a queen capture, the capture of a pawn deep in own camp.
bool DeltaExempt(const Position& pos, Move move) {
  const int side = pos.side;
  const int from_piece = pos.board[MoveFrom(move)];
  const int victim = pos.board[MoveTo(move)];
  if (KindOf(from_piece) == PAWN && RelativeRank(MoveTo(move), side) >= 6) return true;
  if (KindOf(victim) == QUEEN) return true;
  return KindOf(victim) == PAWN && RelativeRank(MoveTo(move), side) <= 1;
}

int DeltaEstimate(const Position& pos, int eval, Move move) {
  int estimate = MoveIsEnPassant(move)
                     ? eval + EN_PASSANT_ESTIMATE
                     : eval + DELTA_MARGIN + PIECE_VALUE[KindOf(pos.board[MoveTo(move)])];
  if (MovePromotion(move) != 0) estimate += PROMOTION_ESTIMATE;
  return estimate;
}

// A bare king in a corner whose every neighbour square is attacked has no
// move: stalemate, unless it is in check (then the evasion routine runs).
bool LoneKingStalemate(const Position& pos) {
  const int side = pos.side;
  if (((pos.material >> (16 * side)) & 0xFFFF) != 0) return false;
  const int king = pos.king_square[side];
  if (king != 0 && king != 7 && king != 56 && king != 63) return false;
  for (Bitboard b = king_attacks[king]; b != 0; b &= b - 1)
    if (!SquareAttacked(pos, FirstBit(b), side ^ 1)) return false;
  return true;
}

// Step 4 of Quiesce: scores beyond what a mate from here could give.
// Returns true with *result when the bounds alone decide the node.
bool MateDistanceBounds(const Position& pos, int& alpha, int& beta, int* result) {
  const int lower = pos.ply - (MATE - 2);
  if (lower > alpha) {
    if (lower >= beta) {
      *result = lower;
      return true;
    }
    alpha = lower;
  }
  const int upper = (MATE - 1) - pos.ply;
  if (upper < beta) {
    if (upper <= alpha) {
      *result = upper;
      return true;
    }
    beta = upper;
  }
  return false;
}

}  // namespace

bool DrawByRule(const Position& pos) {
  const int fifty = pos.state.fifty_clock;
  if (fifty < 4) return false;
  if (fifty >= 100) return true;
  // A clock taken from a set-up position may reach back before move one.
  const int reach = fifty < pos.game_ply ? fifty : pos.game_ply;
  for (int back = 4; back <= reach; back += 2)
    if (pos.key_history[KeyHistoryIndex(pos.game_ply - back)] == pos.key) return true;
  return false;
}

int Quiesce(SearchThread& t, int alpha, int beta, int qdepth, Move* pv) {
  Position& pos = *t.pos;
  // Step 1. Empty variation
  pv[0] = 0;
  // Step 2. End of the ply arrays
  if (AtSearchHorizon(pos)) return Evaluate(pos);
  // Step 3. Draw by rule
  if (DrawByRule(pos)) return 0;
  // Step 3b. Recognized draws of very little material (Passive builds)
  if constexpr (BUILD_PASSIVE)
    if (RecognizedDraw(pos)) return 0;
  // Step 4. Mate-distance bounds
  int decided;
  if (MateDistanceBounds(pos, alpha, beta, &decided)) return decided;
  // Step 5. Lone king stalemated in a corner
  if (LoneKingStalemate(pos)) return 0;
  // Step 6. Stand pat
  const int alpha0 = alpha;
  const int eval = Evaluate(pos);
  if (eval > alpha) {
    if (eval >= beta) return eval;
    alpha = eval;
  }
  int best = eval;
  // Step 7. Moves
  QuiescePicker picker;
  InitQuiescePicker(picker, pos, qdepth >= t.qcheck_limit);
  Move move = NextQuiesceMove(picker);
  if (move == 0) return eval;
  // Step 8. Save the position once for every move
  UndoRecord undo;
  SaveState(pos, undo);
  Move child_pv[PV_SIZE];
  const bool zero_window = beta == alpha0 + 1;
  for (; move != 0; move = NextQuiesceMove(picker)) {
    // Step 9a. Delta pruning
    int check_hint = -1;
    if (zero_window && !DeltaExempt(pos, move)) {
      const int estimate = DeltaEstimate(pos, eval, move);
      if (estimate <= alpha) {
        check_hint = MoveGivesCheck(pos, move) ? 1 : 0;
        if (check_hint == 0) {
          if (estimate > best) {
            best = estimate;
            pv[0] = 0;
          }
          continue;
        }
      }
    }
    // Steps 9b-9d. Search the move
    MakeMove(pos, undo, move, check_hint);
    const int score = -QuiesceNode(t, -beta, -alpha, qdepth - 1, child_pv);
    UnmakeMove(pos, undo, move);
    // Step 9e. Better move
    if (score > best) {
      best = score;
      ExtendPV(pv, move, child_pv);
      if (score > alpha) {
        if (score >= beta) return score;
        alpha = score;
      }
    }
  }
  // Step 10
  return best;
}

int QuiesceEvasions(SearchThread& t, int alpha, int beta, int qdepth, Move* pv) {
  Position& pos = *t.pos;
  // Step 1. Empty variation
  pv[0] = 0;
  // Step 2. End of the ply arrays
  if (AtSearchHorizon(pos)) return Evaluate(pos);
  // Step 3. Draw by rule
  if (DrawByRule(pos)) return 0;
  // Step 3b. Recognized draws of very little material (Passive builds)
  if constexpr (BUILD_PASSIVE)
    if (RecognizedDraw(pos)) return 0;
  // Step 4. Mate-distance bounds; mated here when there is no evasion
  Move moves[MAX_MOVES];
  int16_t keys[MAX_MOVES];
  int count = -1;
  if (pos.ply - (MATE - 2) > alpha) {
    count = static_cast<int>(GenEvasions(pos, moves) - moves);
    const int lower = count == 0 ? pos.ply - MATE : pos.ply - (MATE - 2);
    if (lower > alpha) {
      alpha = lower;
      if (alpha >= beta) return alpha;
    }
  }
  const int upper = (MATE - 1) - pos.ply;
  if (upper < beta) {
    if (upper <= alpha) return upper;
    beta = upper;
  }
  if (count < 0) count = static_cast<int>(GenEvasions(pos, moves) - moves);
  // Step 5. Order; every evasion is searched, so all their children's
  // evaluation entries start loading now
  OrderCaptureEvasions(t, pos, moves, keys, count);
  for (int i = 0; i < count; ++i) PrefetchEvaluationByKey(KeyAfterMove(pos, moves[i]));
  // Step 6. Save the position once for every move
  UndoRecord undo;
  SaveState(pos, undo);
  // Step 7. Every evasion; a check ply is not used up here
  Move child_pv[PV_SIZE];
  int best = NO_SCORE;
  for (int i = 0; i < count; ++i) {
    const Move move = moves[i];
    MakeMove(pos, undo, move, -1);
    const int score = -QuiesceNode(t, -beta, -alpha, qdepth, child_pv);
    UnmakeMove(pos, undo, move);
    if (score > best) {
      best = score;
      ExtendPV(pv, move, child_pv);
      if (score > alpha) {
        if (score >= beta) return score;
        alpha = score;
      }
    }
  }
  // Step 8. No evasion: mated
  return best == NO_SCORE ? pos.ply - MATE : best;
}
