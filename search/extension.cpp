#include "search/alpha_beta.h"

#include "board/exchange.h"
#include "board/movegen.h"
#include "search/history.h"

namespace {

// A capture that loses more than this is not a good capture.
constexpr int GOOD_CAPTURE_FLOOR = -100;

// Taking a piece that leaves one side with a lone piece against none or
// two is decisive for the ending: search it fully.
bool SimplifyingCapture(const Position& pos, Move move) {
  const int victim = KindOf(pos.board[MoveTo(move)]);
  if (victim == 0 || victim == PAWN) return false;
  const int a = pos.piece_count[0], b = pos.piece_count[1];
  return (a == 1 && (b == 0 || b == 2)) || (b == 1 && (a == 0 || a == 2));
}

}  // namespace

int Extension(const Position& pos, int depth, Move move, bool single_reply,
              bool good_capture_in, ExtensionInfo* info) {
  info->gives_check = -1;
  info->good_capture = false;
  if (SimplifyingCapture(pos, move)) return depth;
  if (single_reply) return depth;
  info->gives_check = MoveGivesCheck(pos, move) ? 1 : 0;
  if (info->gives_check) return depth;
  if (PushIsPassed(pos, move)) return depth;
  if (pos.board[MoveTo(move)] == 0 || good_capture_in) return depth - 1;
  if (ExchangeValue(pos, move) < GOOD_CAPTURE_FLOOR) return depth - 1;
  info->good_capture = true;
  return depth;
}

void LearnCutoff(SearchThread& t, Move move, int depth, const Move* tried, int tried_count) {
  const Position& pos = *t.pos;
  if (!MoveIsQuiet(pos, move)) return;
  UpdateKillersAndHistory(t, pos, move, depth);
  for (int i = 0; i < tried_count; ++i)
    if (tried[i] != move && MoveIsQuiet(pos, tried[i])) RecordTry(t, pos, tried[i]);
  RecordCutoff(t, pos, move);
}
