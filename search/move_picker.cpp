#include "search/move_picker.h"

#include "board/exchange.h"
#include "board/make_move.h"
#include "eval/evaluate.h"
#include "search/history.h"

namespace {

int16_t Key16(int key) { return static_cast<int16_t>(key); }

// Count of a terminated list.
int ListLength(const Move* first, const Move* end) { return static_cast<int>(end - first); }

// Key of a move in an evasion list without hash move and killer ranks.
int PlainEvasionKey(const SearchThread& t, const Position& pos, Move move) {
  if (pos.board[MoveTo(move)] != 0 || (move & 0xF000) != 0) {
    const int key = CaptureKey(pos, move);
    return key < 0 ? key - LOW_KEY_OFFSET : key;
  }
  return HistoryScore(t, pos, move) - LOW_KEY_OFFSET;
}

// Killers rank between the even captures and the quiet moves: killer 0,
// older killer 0, killer 1, older killer 1.
int KillerKey(const SearchThread& t, const Position& pos, Move move) {
  const Move* now = t.killers[pos.ply];
  if (move == now[0]) return -2;
  if (move == now[1]) return -4;
  if (pos.ply >= 3) {
    const Move* older = t.killers[pos.ply - 2];
    if (move == older[0]) return -3;
    if (move == older[1]) return -5;
  }
  return 0;
}

bool IsSpecial(const MovePicker& p, Move move) {
  for (int i = 0; i < SPECIAL_COUNT; ++i)
    if (p.special[i] == move) return true;
  return false;
}

// A killer is tried only as the quiet move it was in its own position.
bool KillerPlayable(const MovePicker& p, Move move) {
  return KillerShapeFits(p, move) && MoveIsValid(*p.pos, move);
}

}  // namespace

// Stage 2: captures split into the good list (sorted now) and the losing
// list (sorted when stage 7 starts). The hash move was tried already. The
// good captures are nearly always searched: their children's evaluation
// entries start loading now.
void GenerateCaptures(MovePicker& p) {
  Move generated[MAX_MOVES];
  const int n = ListLength(generated, GenCaptures(*p.pos, generated));
  p.count = p.losing_count = p.cursor = p.losing_cursor = 0;
  for (int i = 0; i < n; ++i) {
    const Move move = generated[i];
    if (move == p.special[SPECIAL_HASH]) continue;
    const int key = CaptureKey(*p.pos, move);
    if (key < 0) {
      p.losing[p.losing_count] = move;
      p.losing_keys[p.losing_count++] = Key16(key);
    } else {
      p.moves[p.count] = move;
      p.keys[p.count++] = Key16(key);
      PrefetchEvaluationByKey(KeyAfterMove(*p.pos, move));
    }
  }
  SortMoves(p.moves, p.keys, p.count);
}

// Stage 6 entry: quiet moves other than the hash move and killers, by history.
void GenerateQuiet(MovePicker& p) {
  Move generated[MAX_MOVES];
  const int n = ListLength(generated, GenQuiet(*p.pos, generated));
  p.count = p.cursor = 0;
  for (int i = 0; i < n; ++i) {
    const Move move = generated[i];
    if (IsSpecial(p, move)) continue;
    p.moves[p.count] = move;
    p.keys[p.count++] = Key16(HistoryScore(*p.thread, *p.pos, move));
  }
  SortMoves(p.moves, p.keys, p.count);
}

bool KillerShapeFits(const MovePicker& p, Move move) {
  return move != 0 && move != p.special[SPECIAL_HASH] && p.pos->board[MoveTo(move)] == 0 &&
         (move & 0xF000) == 0;
}

int CaptureKey(const Position& pos, Move move) {
  const int key = PIECE_VALUE[KindOf(pos.board[MoveTo(move)])] -
                  PIECE_VALUE[KindOf(pos.board[MoveFrom(move)])];
  return key < 1 ? ExchangeValue(pos, move) : key;
}

void SortMoves(Move* moves, int16_t* keys, int count) {
  for (int i = count - 2; i >= 0; --i) {
    const Move move = moves[i];
    const int16_t key = keys[i];
    int j = i;
    // Moves past the following elements only while strictly smaller.
    while (j + 1 < count && key < keys[j + 1]) {
      moves[j] = moves[j + 1];
      keys[j] = keys[j + 1];
      ++j;
    }
    moves[j] = move;
    keys[j] = key;
  }
}

void OrderEvasions(const SearchThread& t, const Position& pos, Move* list, int16_t* keys,
                   int count, Move hash_move) {
  if (count < 2) return;
  for (int i = 0; i < count; ++i) {
    const Move move = list[i];
    int key;
    if (move == hash_move) {
      key = HASH_MOVE_KEY;
    } else if (pos.board[MoveTo(move)] != 0 || (move & 0xF000) != 0) {
      key = PlainEvasionKey(t, pos, move);
    } else {
      key = KillerKey(t, pos, move);
      if (key == 0) key = HistoryScore(t, pos, move) - LOW_KEY_OFFSET;
    }
    keys[i] = Key16(key);
  }
  SortMoves(list, keys, count);
}

void OrderCaptureEvasions(const SearchThread& t, const Position& pos, Move* list,
                          int16_t* keys, int count) {
  if (count < 2) return;
  for (int i = 0; i < count; ++i) keys[i] = Key16(PlainEvasionKey(t, pos, list[i]));
  SortMoves(list, keys, count);
}

bool InitPicker(MovePicker& p, const SearchThread& t, Position& pos, Move hash_move) {
  p.thread = &t;
  p.pos = &pos;
  p.special[SPECIAL_HASH] = hash_move;
  const Move* now = t.killers[pos.ply];
  p.special[1] = now[0];
  p.special[2] = now[1];
  p.special[3] = pos.ply >= 3 ? t.killers[pos.ply - 2][0] : 0;
  p.special[4] = pos.ply >= 3 ? t.killers[pos.ply - 2][1] : 0;
  p.cursor = p.count = p.losing_cursor = p.losing_count = 0;
  p.quiet_generated = p.losing_sorted = 0;
  p.history_ratio = FULL_RATIO;
  if (!pos.state.in_check) {
    p.stage = STAGE_HASH_MOVE;
    return false;
  }
  p.stage = STAGE_EVASIONS;
  p.count = ListLength(p.moves, GenEvasions(pos, p.moves));
  OrderEvasions(t, pos, p.moves, p.keys, p.count, hash_move);
  return p.count <= 1;
}

Move PeekNextMove(const MovePicker& p) {
  const bool listed = p.stage == STAGE_EVASIONS || p.stage == STAGE_GOOD_CAPTURES || p.stage == STAGE_QUIET;
  return listed && p.cursor < p.count ? p.moves[p.cursor] : 0;
}

Move NextMove(MovePicker& p) {
  p.history_ratio = FULL_RATIO;
  Position& pos = *p.pos;
  switch (p.stage) {
    case STAGE_EVASIONS:
      return p.cursor < p.count ? p.moves[p.cursor++] : 0;
    case STAGE_HASH_MOVE:
      p.stage = STAGE_GEN_CAPTURES;
      if (p.special[SPECIAL_HASH] != 0 && MoveIsValid(pos, p.special[SPECIAL_HASH]))
        return p.special[SPECIAL_HASH];
      [[fallthrough]];
    case STAGE_GEN_CAPTURES:
      GenerateCaptures(p);
      p.stage = STAGE_GOOD_CAPTURES;
      [[fallthrough]];
    case STAGE_GOOD_CAPTURES:
      while (p.cursor < p.count) {
        const Move move = p.moves[p.cursor++];
        if (MoveIsLegal(pos, move)) return move;
      }
      p.stage = STAGE_KILLERS;
      p.cursor = SPECIAL_FIRST_KILLER;
      [[fallthrough]];
    case STAGE_KILLERS:
      while (p.cursor < SPECIAL_COUNT) {
        const Move move = p.special[p.cursor++];
        if (KillerPlayable(p, move)) return move;
      }
      p.stage = STAGE_QUIET;
      [[fallthrough]];
    case STAGE_QUIET:
      if (!p.quiet_generated) {
        GenerateQuiet(p);
        p.quiet_generated = 1;
      }
      while (p.cursor < p.count) {
        const Move move = p.moves[p.cursor++];
        if (MoveIsLegal(pos, move)) {
          p.history_ratio = HistoryRatio(*p.thread, pos, move);
          return move;
        }
      }
      p.stage = STAGE_LOSING_CAPTURES;
      [[fallthrough]];
    case STAGE_LOSING_CAPTURES:
      if (!p.losing_sorted) {
        SortMoves(p.losing, p.losing_keys, p.losing_count);
        p.losing_sorted = 1;
      }
      while (p.losing_cursor < p.losing_count) {
        const Move move = p.losing[p.losing_cursor++];
        if (MoveIsLegal(pos, move)) return move;
      }
      p.stage = STAGE_DONE;
      return 0;
    default:
      return 0;
  }
}
