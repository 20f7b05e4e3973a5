#include "frontend/xboard/command_loop.h"

#include <cstring>

#include "board/draw_rules.h"
#include "board/legal_moves.h"
#include "board/set_position.h"
#include "frontend/xboard/analysis.h"
#include "frontend/book/book.h"
#include "frontend/xboard/commands.h"
#include "frontend/console.h"
#include "frontend/engine_init.h"
#include "frontend/engine_state.h"
#include "frontend/game.h"
#include "frontend/move_text.h"
#include "frontend/xboard/ping.h"
#include "frontend/search_handover.h"
#include "frontend/xboard/thinking_output.h"
#include "search/search.h"
#include "search/search_record.h"
#include "search/time_budget.h"

namespace {

// Scores below this, six engine moves in a row, resign against a person.
constexpr int32_t RESIGN_SCORE = -1200;
constexpr int8_t RESIGN_MOVES = 5;
// Resigning makes sense only while the opponent has time to win.
constexpr int32_t RESIGN_MIN_OPPONENT_MS = 30000;

int8_t resign_countdown = RESIGN_MOVES;

// The command line, replayed as protocol lines at every new game.
int argument_count = 0;
const char* const* argument_values = nullptr;

void WriteLine(const char* text) {
  WriteText(text);
  WriteText("\r\n");
}

// The result line for a side to move without a legal move.
void AnnounceNoMoves() {
  if (result_printed) return;
  if (game_position.state.in_check) {
    WriteLine(game_position.side == BLACK ? "1-0 {White wins}" : "0-1 {Black wins}");
  } else {
    WriteLine("1/2-1/2 {Draw}");
  }
  result_printed = true;
}

// Mate, stalemate and the draw rules, once the game has moves. Without a
// legal move the game is over: one line is read before the loop goes on.
void CheckGameEnd() {
  // Analysis shows lines, not results: the front end judges the game.
  if (game_length <= 0 || FlagIsSet(AnalyseMode)) return;
  if (legal_count <= 0 && engine_state != EngineState::New) {
    AnnounceNoMoves();
    engine_state = EngineState::GameOver;
    ReadAndParse();
  }
  if (!result_printed && GameIsDrawn(game_position)) {
    WriteLine("1/2-1/2 {Draw}");
    result_printed = true;
  }
}

// Places one command-line argument in the line buffer and parses it.
void ParseArgument(const char* argument) {
  memset(line_buffer, 0, sizeof line_buffer);
  strncpy(line_buffer, argument, LINE_BUFFER_SIZE - 1);
  ParseCommand();
}

// Replays the command line. Arguments that start a new game ("new",
// "setboard") must not start set-up again from inside set-up: the first
// pass notes them and asks for one more set-up; the second ignores them.
bool ReplayArguments(bool first_pass) {
  bool set_up_again = false;
  for (int i = 1; i < argument_count && engine_state != EngineState::Quit; i++) {
    ParseArgument(argument_values[i]);
    if (engine_state == EngineState::New) {
      set_up_again = first_pass;
      engine_state = EngineState::Waiting;
      if (!first_pass) fen_source = START_TEXT;
    }
  }
  return set_up_again;
}

// A scratch record for testing a position text before it replaces the game.
Position candidate_position;

bool FenIsPlayable(const char* fen) {
  SetPosition(candidate_position, fen);
  return PositionIsPlayable(candidate_position);
}

// The New state: set the game up from fen_source and replay the arguments.
void SetUpNewGame(bool first_pass) {
  if (!FenIsPlayable(fen_source)) {
    WriteLine("tellusererror Illegal position");
    RefuseGamePosition();
    fen_source = START_TEXT;
    engine_state = EngineState::Waiting;
    return;
  }
  result_printed = false;
  depth_limit = DEFAULT_DEPTH_LIMIT;
  fixed_move_ms = NO_FIXED_MOVE_TIME;
  opponent_name[0] = 0;
  SetFlag(ForceMode, false);
  SetFlag(OpponentIsComputer, false);
  SetFlag(UseBook, fen_source == START_TEXT);
  NewGame(fen_source);
  fen_source = START_TEXT;
  resign_countdown = RESIGN_MOVES;
  expected_move = 0;
  RebuildLegalMoves();
  engine_state = EngineState::Waiting;
  if (ReplayArguments(first_pass) && engine_state != EngineState::Quit) SetUpNewGame(false);
}

// Take-backs that came in during the search, now that it has stopped.
// True when there were any: then no engine move is played.
bool ApplyDeferredTakeBacks() {
  int count = TakeDeferredTakeBacks();
  if (count == 0) return false;
  for (int i = 0; i < count; i++) TakeBack();
  RebuildLegalMoves();
  if (engine_state == EngineState::Thinking || engine_state == EngineState::Pondering) {
    engine_state = EngineState::Waiting;
  }
  return true;
}

// Resignation against a person: the sixth move in a row below the
// resignation score resigns, and so does every further one.
void ConsiderResigning(int32_t score) {
  if (FlagIsSet(OpponentIsComputer)) return;
  if (score >= RESIGN_SCORE) {
    resign_countdown = RESIGN_MOVES;
    return;
  }
  resign_countdown--;
  if (resign_countdown < 0 && opponent_clock_ms > RESIGN_MIN_OPPONENT_MS) WriteLine("resign");
}

bool IsLegalInGame(Move move) {
  for (int i = 0; i < legal_count; i++) {
    if (legal_moves[i] == move) return true;
  }
  return false;
}

// Writes and plays the engine's move, counts towards resigning, and
// decides whether to ponder on the expected reply.
void PlayEngineMove() {
  const SearchResult& result = search_record.result;
  const Move move = result.result_move;
  char text[MOVE_TEXT_SIZE];
  WriteText("move ");
  WriteText(MoveToText(move, text));
  WriteText("\r\n");
  ApplyGameMove(move);
  RebuildLegalMoves();
  ConsiderResigning(result.score);
  expected_move = result.pv[1];
  if (expected_move != 0) PrintMoveThinking(move);
  // Ponder only on a reply that really is legal after the move played.
  if (result.pv[0] != move || !IsLegalInGame(expected_move)) expected_move = 0;
  // In 64 bits: the clock may be set as low as the 32-bit range goes.
  const int64_t clock_left_ms = int64_t{own_clock_ms} - result.elapsed_ms;
  const bool clock_allows = fixed_move_ms < NO_FIXED_MOVE_TIME || ClockAllowsPondering(clock_left_ms);
  const bool ponder = !FlagIsSet(UseBook) && FlagIsSet(Ponder) && expected_move != 0 && clock_allows;
  engine_state = ponder ? EngineState::PonderStart : EngineState::Waiting;
}

// The Thinking state: a book move or a search, then the move.
void Think() {
  result_printed = false;
  SetFlag(ForceMode, false);
  if (!GamePositionIsPlayable()) {
    engine_state = EngineState::Waiting;
    return;
  }
  if (legal_count == 0) {
    // A set-up position without a move: there is nothing to think about.
    AnnounceNoMoves();
    engine_state = EngineState::Waiting;
    return;
  }
  if (FlagIsSet(UseBook)) {
    Move book_move = BookMoveForGame();
    if (book_move != 0) {
      memset(&search_record, 0, sizeof search_record);
      search_record.result.result_move = book_move;
      search_record.result.pv[0] = book_move;
      PlayEngineMove();
      return;
    }
    SetFlag(UseBook, false);
  }
  StartSearch(true);
  if (ApplyDeferredTakeBacks()) return;
  if (engine_state != EngineState::Thinking) return;
  if (search_record.result.result_move != 0) {
    PlayEngineMove();
  } else {
    engine_state = EngineState::Waiting;
  }
}

// The Pondering state: search the position after the expected reply until
// the opponent moves.
void Ponder() {
  pending_move = 0;
  ApplyGameMove(expected_move);
  reply_count = BuildLegalMoves(game_position, reply_moves);
  StartSearch(false);
  if (engine_state == EngineState::Thinking) {
    // The expected move came: it stays played, and so does the answer.
    pending_move = 0;
    if (ApplyDeferredTakeBacks()) return;
    if (search_record.result.result_move != 0) {
      PlayEngineMove();
    } else {
      engine_state = EngineState::Waiting;
    }
    return;
  }
  if (engine_state == EngineState::Pondering) {
    engine_state = pending_move != 0 ? EngineState::Thinking : EngineState::Waiting;
  }
  // The opponent's legal list was kept while pondering; it fits again.
  TakeBack();
  if (ApplyDeferredTakeBacks()) pending_move = 0;
}

// The Analysing state: analyse a position that is new, else wait for the
// input that changes it.
void Analyse() {
  if (!AnalysisDue()) {
    ReadAndParse();
    return;
  }
  AnalysePosition();
  ApplyDeferredTakeBacks();
}

// One turn of the loop: the opponent's move, the game's end, then what the
// engine's state asks for.
void LoopStep() {
  // Step 1. A move the front end sent is played first
  if (pending_move != 0) {
    ApplyGameMove(pending_move);
    RebuildLegalMoves();
    pending_move = 0;
    // The reply the engine expected is no hint once the opponent has moved.
    expected_move = 0;
  }
  // Step 2. Mate, stalemate, repetition, fifty moves
  CheckGameEnd();
  // Step 3. Force mode ("force", "new", "setboard") does not end analysis
  if (engine_state == EngineState::Waiting && FlagIsSet(AnalyseMode)) {
    engine_state = EngineState::Analysing;
  }
  // Step 4. By state
  switch (engine_state) {
    case EngineState::New: SetUpNewGame(true); break;
    case EngineState::Waiting: ReadAndParse(); break;
    case EngineState::Thinking: Think(); break;
    case EngineState::PonderStart: engine_state = EngineState::Pondering; break;
    case EngineState::Pondering: Ponder(); break;
    case EngineState::GameOver:
      // Only a game without legal moves stays over; anything else waits.
      if (game_length <= 0 || legal_count > 0) engine_state = EngineState::Waiting;
      break;
    case EngineState::Analysing: Analyse(); break;
    case EngineState::Quit: break;
  }
  // Step 5. Pings that came after a move the engine owed are answered now
  WriteHeldPongs();
}

}  // namespace

void RunCommandLoop(int argc, const char* const* argv) {
  argument_count = argc;
  argument_values = argv;
  pending_move = 0;
  SetLineParser(ParseCommand);
  SetInputPoller(PollInput);
  SetPollFlag(&poll_requested);
  // Without the tick thread the search must time its polls itself, or the
  // clock and the input would go unwatched inside an iteration.
  UseSelfTimedPolls(!StartTickThread());
  while (engine_state != EngineState::Quit) LoopStep();
  StopTickThread();
}
