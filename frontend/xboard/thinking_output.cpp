#include "frontend/xboard/thinking_output.h"

#include <cstdio>
#include <cstring>

#include "board/legal_moves.h"
#include "board/make_move.h"
#include "board/movegen.h"
#include "board/random_state.h"
#include "frontend/console.h"
#include "frontend/engine_state.h"
#include "frontend/game.h"
#include "frontend/move_text.h"
#include "search/move_picker.h"

namespace {

// Moves shown on a thinking line.
constexpr int SHOWN_MOVES = 6;
// Scores beyond this are mates; they are shown shifted towards zero.
constexpr int SHOWN_MATE_LIMIT = 24000;
constexpr int SHOWN_MATE_SHIFT = 8192;
constexpr int NO_BEST = -32767;
constexpr int CONTINUATION_BOUND = 29800;
constexpr int CONTINUATION_DEPTH = 2;

// Continuation lines: two plies of full width and then captures, which
// end when the material does (at most 32 captures).
constexpr int LINE_SIZE = 48;

// Material by piece kind, in pawns, for the continuation search.
constexpr int MATERIAL_UNITS[7] = {0, 1, 3, 3, 5, 9, 100};

// The continuation is only shown, yet it runs on the engine's clock: a full
// capture search of a sharp middle game makes millions of moves (seconds),
// so it looks at this many positions and then judges by material alone.
constexpr uint32_t CONTINUATION_NODE_BUDGET = 20000;
uint32_t continuation_nodes_left = 0;

// A promotion reads like e7e8q here, not e7e8=q.
void AppendMove(char* line, size_t size, Move move) {
  char text[MOVE_TEXT_SIZE];
  MoveToText(move, text);
  if (text[4] == '=') {
    text[4] = text[5];
    text[5] = ' ';
  }
  strncat(line, text, size - strlen(line) - 1);
}

// The move followed by the child's line, cut to the line's size.
void SetLine(Move* line, Move move, const Move* child) {
  line[0] = move;
  int i = 0;
  while (i + 1 < LINE_SIZE - 1 && child[i] != 0) {
    line[i + 1] = child[i];
    i++;
  }
  line[i + 1] = 0;
}

int MaterialBalance(const Position& pos) {
  int sum = 0;
  for (int square = 0; square < 64; square++) {
    const int code = pos.board[square];
    if (code == 0) continue;
    const int value = MATERIAL_UNITS[KindOf(code)];
    sum += SideOf(code) == WHITE ? value : -value;
  }
  return pos.side == WHITE ? sum : -sum;
}

// Takes one position from the budget; false when none was left.
bool SpendContinuationNode() {
  if (continuation_nodes_left == 0) return false;
  continuation_nodes_left--;
  return true;
}

// The verdict once the budget is spent: the material, within the window.
int MaterialWithin(const Position& pos, int alpha, int beta) {
  const int material = MaterialBalance(pos);
  return material < alpha ? alpha : (material > beta ? beta : material);
}

// Captures (or, in check, every evasion) of the position, legal only.
int CaptureMoves(const Position& pos, Move* list) {
  if (pos.state.in_check) return static_cast<int>(GenEvasions(pos, list) - list);
  Move* end = GenCaptures(pos, list);
  int count = 0;
  for (Move* move = list; move < end; move++) {
    if (MoveIsLegal(pos, *move)) list[count++] = *move;
  }
  return count;
}

}  // namespace

int ShownScore(int score) {
  if (score > SHOWN_MATE_LIMIT) return score - SHOWN_MATE_SHIFT;
  if (score < -SHOWN_MATE_LIMIT) return score + SHOWN_MATE_SHIFT;
  if (score == 0) return 0;
  return score + static_cast<int>(NextRandom() & 31) - 15;
}

namespace {

// The capture search and the full-width plies above it, on the budget.
int BudgetedCaptures(Position& pos, int alpha, int beta, Move* pv) {
  pv[0] = 0;
  if (!SpendContinuationNode()) return MaterialWithin(pos, alpha, beta);
  int best = NO_BEST;
  if (!pos.state.in_check) {
    const int stand_pat = MaterialBalance(pos);
    if (stand_pat >= beta) return beta;
    if (stand_pat > alpha) alpha = stand_pat;
    best = stand_pat;
  }
  Move moves[MAX_MOVES];
  const int count = CaptureMoves(pos, moves);
  for (int i = 0; i < count; i++) {
    UndoRecord undo;
    Move child[LINE_SIZE];
    SaveState(pos, undo);
    MakeMove(pos, undo, moves[i], -1);
    const int score = -BudgetedCaptures(pos, -beta, -alpha, child);
    UnmakeMove(pos, undo, moves[i]);
    if (score > best) {
      best = score;
      SetLine(pv, moves[i], child);
    }
    if (score >= beta) return beta;
    if (score > alpha) alpha = score;
  }
  return alpha;
}

int BudgetedContinuation(Position& pos, int depth, int alpha, int beta, Move* pv) {
  pv[0] = 0;
  if (depth <= 0) return BudgetedCaptures(pos, alpha, beta, pv);
  if (!SpendContinuationNode()) return MaterialWithin(pos, alpha, beta);
  int best = NO_BEST;
  bool raised = false;
  MovePicker picker;
  InitPicker(picker, main_search, pos, 0);
  for (Move move = NextMove(picker); move != 0; move = NextMove(picker)) {
    UndoRecord undo;
    Move child[LINE_SIZE];
    SaveState(pos, undo);
    MakeMove(pos, undo, move, -1);
    int score;
    if (raised) {
      score = -BudgetedContinuation(pos, depth - 1, -alpha - 1, -alpha, child);
      if (score > alpha && score < beta) {
        score = -BudgetedContinuation(pos, depth - 1, -beta, -alpha, child);
      }
    } else {
      score = -BudgetedContinuation(pos, depth - 1, -beta, -alpha, child);
    }
    UnmakeMove(pos, undo, move);
    if (score > best) {
      best = score;
      SetLine(pv, move, child);
      if (score >= beta) return beta;
      if (score > alpha) {
        alpha = score;
        raised = true;
      }
    }
  }
  return alpha;
}

}  // namespace

int ContinuationSearch(Position& pos, int depth, int alpha, int beta, Move* pv) {
  continuation_nodes_left = CONTINUATION_NODE_BUDGET;
  return BudgetedContinuation(pos, depth, alpha, beta, pv);
}

int CaptureSearch(Position& pos, int alpha, int beta, Move* pv) {
  continuation_nodes_left = CONTINUATION_NODE_BUDGET;
  return BudgetedCaptures(pos, alpha, beta, pv);
}

void FormatThinking(ThinkingRecord& record, char* line, size_t size) {
  FormatThinkingWithScore(record, ShownScore(record.score), line, size);
}

void FormatThinkingWithScore(ThinkingRecord& record, int shown_score, char* line, size_t size) {
  record.pv[SHOWN_MOVES] = 0;
  snprintf(line, size, "%i %i %i %u ", record.depth, shown_score, record.elapsed_ms / 10,
           static_cast<uint32_t>(record.nodes));
  for (int i = 0; i < SHOWN_MOVES && record.pv[i] != 0; i++) AppendMove(line, size, record.pv[i]);
}

void PrintThinking(ThinkingRecord& record) {
  if (!FlagIsSet(Post) && !FlagIsSet(Kibitz)) return;
  if (record.pv[0] == 0) return;
  char line[FORMAT_BUFFER_SIZE];
  FormatThinking(record, line, sizeof line);
  if (!FlagIsSet(Post)) return;
  WriteText(line);
  WriteText("\r\n");
}

void PrintMoveThinking(Move move) {
  thinking_record.pv[0] = move;
  Move line[LINE_SIZE];
  // The picker's killer slots are by distance from this root.
  const uint8_t game_ply_count = game_position.ply;
  game_position.ply = 0;
  ContinuationSearch(game_position, CONTINUATION_DEPTH, -CONTINUATION_BOUND, CONTINUATION_BOUND, line);
  game_position.ply = game_ply_count;
  int i = 0;
  for (; i < 5 && line[i] != 0; i++) thinking_record.pv[i + 1] = line[i];
  for (; i < 5; i++) thinking_record.pv[i + 1] = 0;
  thinking_record.pv[SHOWN_MOVES] = 0;
  PrintThinking(thinking_record);
  thinking_record.pv[0] = 0;
}
