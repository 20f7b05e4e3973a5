// The move source of a split point: NextMove's stages without the
// legality tests, which the helper threads run outside the split lock.
#include "search/history.h"
#include "search/move_picker.h"

Move SharedNextMove(MovePicker& p, MoveCheck* check) {
  p.history_ratio = FULL_RATIO;
  switch (p.stage) {
    case STAGE_EVASIONS:
      *check = MoveCheck::None;
      return p.cursor < p.count ? p.moves[p.cursor++] : 0;
    case STAGE_HASH_MOVE:
      p.stage = STAGE_GEN_CAPTURES;
      if (p.special[SPECIAL_HASH] != 0) {
        *check = MoveCheck::Valid;
        return p.special[SPECIAL_HASH];
      }
      [[fallthrough]];
    case STAGE_GEN_CAPTURES:
      GenerateCaptures(p);
      p.stage = STAGE_GOOD_CAPTURES;
      [[fallthrough]];
    case STAGE_GOOD_CAPTURES:
      if (p.cursor < p.count) {
        *check = MoveCheck::Legal;
        return p.moves[p.cursor++];
      }
      p.stage = STAGE_KILLERS;
      p.cursor = SPECIAL_FIRST_KILLER;
      [[fallthrough]];
    case STAGE_KILLERS:
      while (p.cursor < SPECIAL_COUNT) {
        const Move move = p.special[p.cursor++];
        if (KillerShapeFits(p, move)) {
          *check = MoveCheck::Valid;
          return move;
        }
      }
      p.stage = STAGE_QUIET;
      [[fallthrough]];
    case STAGE_QUIET:
      if (!p.quiet_generated) {
        GenerateQuiet(p);
        p.quiet_generated = 1;
      }
      if (p.cursor < p.count) {
        const Move move = p.moves[p.cursor++];
        p.history_ratio = HistoryRatio(*p.thread, *p.pos, move);
        *check = MoveCheck::Legal;
        return move;
      }
      p.stage = STAGE_LOSING_CAPTURES;
      [[fallthrough]];
    case STAGE_LOSING_CAPTURES:
      if (!p.losing_sorted) {
        SortMoves(p.losing, p.losing_keys, p.losing_count);
        p.losing_sorted = 1;
      }
      if (p.losing_cursor < p.losing_count) {
        *check = MoveCheck::Legal;
        return p.losing[p.losing_cursor++];
      }
      p.stage = STAGE_DONE;
      return 0;
    default:
      return 0;
  }
}
