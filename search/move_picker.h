// Move ordering: the staged move picker (hash move, good captures,
// killers, quiet moves by history, losing captures), the one-shot ordering
// of evasion and root lists, and the stable sort they share.
#pragma once

#include <cstdint>

#include "board/movegen.h"
#include "board/position.h"
#include "search/search.h"

// Ordering values by piece kind (empty, pawn .. king).
inline constexpr int PIECE_VALUE[7] = {0, 100, 320, 320, 500, 1000, 10000};

// Evasion and root-list keys: the hash move first, losing captures and
// plain quiet moves pushed below killers by this offset.
inline constexpr int HASH_MOVE_KEY = 29000;
inline constexpr int LOW_KEY_OFFSET = 16394;

// Victim minus attacker; when that is below 1, the static exchange value.
int CaptureKey(const Position& pos, Move move);

// Stable sort by key, highest first; equal keys keep their order.
void SortMoves(Move* moves, int16_t* keys, int count);

// Keys and sorts an evasion or root list: hash move, winning and even
// captures, killers, quiet moves by history, losing captures.
void OrderEvasions(const SearchThread& t, const Position& pos, Move* list, int16_t* keys,
                   int count, Move hash_move);

// The same without hash move and killers, for the quiescence evasions.
void OrderCaptureEvasions(const SearchThread& t, const Position& pos, Move* list,
                          int16_t* keys, int count);

// Stages of the picker, in the order they run.
enum PickerStage : uint8_t {
  STAGE_EVASIONS = 0,
  STAGE_HASH_MOVE = 1,
  STAGE_GEN_CAPTURES = 2,
  STAGE_GOOD_CAPTURES = 3,
  STAGE_KILLERS = 5,
  STAGE_QUIET = 6,
  STAGE_LOSING_CAPTURES = 7,
  STAGE_DONE = 8,
};

// Indices into MovePicker::special: the hash move, then four killers.
inline constexpr int SPECIAL_HASH = 0;
inline constexpr int SPECIAL_FIRST_KILLER = 1;
inline constexpr int SPECIAL_COUNT = 5;

// One node's move source, on the caller's stack.
struct MovePicker {
  const SearchThread* thread;
  Position* pos;
  Move special[5];  // hash move, killers of this ply, killers of ply - 2
  uint8_t stage;
  uint8_t quiet_generated;
  uint8_t losing_sorted;
  int cursor;
  int count;
  int losing_cursor;
  int losing_count;
  int history_ratio;  // of the move returned last
  Move moves[MAX_MOVES];
  int16_t keys[MAX_MOVES];
  Move losing[MAX_MOVES];
  int16_t losing_keys[MAX_MOVES];
};

// Prepares the picker; in check it generates and orders the evasions.
// Returns true when the side to move is in check with at most one reply.
bool InitPicker(MovePicker& picker, const SearchThread& t, Position& pos, Move hash_move);

// The next legal move, 0 when the node is exhausted; sets history_ratio.
Move NextMove(MovePicker& picker);

// The listed move NextMove will look at next, or 0 when it must first move
// to another stage. It may still be rejected as illegal: a hint for
// loading memory early, not a move to search.
Move PeekNextMove(const MovePicker& picker);

// The test a move from SharedNextMove still needs before it is searched.
enum class MoveCheck : uint8_t {
  None,   // a pre-validated evasion
  Valid,  // hash move or killer: MoveIsValid
  Legal,  // generated move: MoveIsLegal
};

// NextMove for a split point, called under its lock: the same stages and
// order, but the costly legality tests are left to the helper thread that
// searches the move (*check says which); sets history_ratio.
Move SharedNextMove(MovePicker& picker, MoveCheck* check);

// Stage work both pickers share: the capture lists (stage 2), the quiet
// list (stage 6 entry), and the cheap part of the killer test (not a
// capture, no flags, not the hash move).
void GenerateCaptures(MovePicker& picker);
void GenerateQuiet(MovePicker& picker);
bool KillerShapeFits(const MovePicker& picker, Move move);
