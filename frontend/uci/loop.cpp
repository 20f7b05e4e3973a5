#include "frontend/uci/loop.h"

#include <cstdio>
#include <cstring>

#include "board/legal_moves.h"
#include "frontend/banner.h"
#include "frontend/book/book.h"
#include "frontend/console.h"
#include "frontend/engine_init.h"
#include "frontend/engine_state.h"
#include "frontend/game.h"
#include "frontend/game_reset.h"
#include "frontend/search_handover.h"
#include "frontend/uci/go.h"
#include "frontend/uci/options.h"
#include "frontend/uci/output.h"
#include "frontend/uci/position.h"
#include "frontend/uci/text.h"
#include "search/search.h"
#include "search/search_progress.h"
#include "search/search_record.h"
#include "search/time_budget.h"

namespace {

// The UCI line buffer: a whole game of moves fits.
char uci_line[UCI_LINE_SIZE];

// From "go" to "bestmove": the search runs, or has ended by itself and
// waits for "stop" or "ponderhit" (infinite and ponder searches).
bool search_active = false;
// A "go" read while waiting; the loop starts it, not the parser, so that
// no search ever starts from inside another.
bool go_pending = false;
bool stop_requested = false;
UciGo current_go;
// The side to move when "go" arrived: the clock a ponder hit reads. The
// search's own record changes sides with every move it tries.
int go_side = WHITE;
// "go mate N": a mate that short has been found, the search may end.
bool mate_found = false;
// The book answers until it first has no move for the game; a game that
// does not continue the last one asks it again.
bool book_missed = false;
// The game the last "position" set up, to tell the next move of the same
// game from a new one.
Move previous_moves[GAME_RECORD_SIZE];
int previous_length = 0;
bool previous_from_start = false;

// The root move the last "currmove" line named.
struct ShownCurrentMove {
  int depth;
  int index;
};
ShownCurrentMove shown_current = {0, -1};
// Root moves are named from this much search time on.
constexpr uint32_t CURRMOVE_AFTER_MS = 1000;

// What the last info line showed, so that an iteration ending without
// news does not repeat it.
struct ShownInfo {
  int depth;
  int score;
  Move move;
};
ShownInfo last_info = {0, 0, 0};

// The answer to "uci".
void WriteIdentity() {
  char name[FORMAT_BUFFER_SIZE];
  FormatBannerFirstLine(name, sizeof name, thread_count);
  PrintFormatted("id name %s", name);  // the banner line ends with its line feed
  WriteText("id author the Quorvel developers\n");
  WriteUciOptions();
  WriteText("uciok\n");
}

// One info line for each deeper iteration and each new best move; with
// several lines wanted, all of them at each completed iteration.
void ReportSearch(ProgressEvent event) {
  const SearchResult& result = search_record.result;
  if (event == ProgressEvent::IterationDone && UciMateFound(current_go, result.score)) mate_found = true;
  if (event == ProgressEvent::IterationDone && search_record.request.multi_pv > 1) {
    WriteSearchLines();
    last_info = {result.depth, result.score, result.result_move};
    return;
  }
  if (result.depth == last_info.depth && result.score == last_info.score &&
      result.result_move == last_info.move) {
    return;
  }
  last_info = {result.depth, result.score, result.result_move};
  WriteSearchInfo();
}

// After the first second, a line for each root move the search takes up.
void ReportCurrentMove() {
  if (SearchElapsedMs() < CURRMOVE_AFTER_MS) return;
  const SearchProgress progress = CurrentProgress();
  if (progress.current_move == 0) return;
  if (progress.depth == shown_current.depth && progress.root_index == shown_current.index) return;
  shown_current = {progress.depth, progress.root_index};
  WriteCurrentMove(progress.depth, progress.current_move, progress.root_index + 1);
}

// The search's poll: a mate found for "go mate", the current root move,
// then the input. ("go nodes" is the search's own limit.)
bool PollUci() {
  if (mate_found && !current_go.infinite && !current_go.ponder) return true;
  ReportCurrentMove();
  return PollInput();
}

// Whether the game now set up is the last one with moves added (or the
// same): a GUI need not say "ucinewgame" before a new game.
bool ContinuesPreviousGame() {
  return UciGameFromStart() == previous_from_start && game_length >= previous_length &&
         memcmp(game_moves, previous_moves, previous_length * sizeof(Move)) == 0;
}

void RememberGame() {
  memcpy(previous_moves, game_moves, game_length * sizeof(Move));
  previous_length = game_length;
  previous_from_start = UciGameFromStart();
}

// Commands that change the game or the settings wait for "bestmove".
bool RefusedWhileSearching(const char* command) {
  if (!search_active) return false;
  char message[96];
  snprintf(message, sizeof message, "'%s' while searching is ignored; send stop first", command);
  WriteInfoString(message);
  return true;
}

void PonderHitCommand() {
  if (!search_active || !current_go.ponder) return;
  current_go.ponder = false;
  if (SearchIsRunning()) {
    PutSearchOnClock(UciTimeBudget(current_go, go_side, FlagIsSet(Ponder), UciMoveOverheadMs()));
  }
}

// The parser of one UCI line, waiting or from inside a search. True: a
// running search must stop.
bool ParseUciLine() {
  if (strlen(uci_line) >= UCI_LINE_SIZE - 1) {
    WriteInfoString("line too long: ignored");
    return false;
  }
  const char* line = SkipBlanks(uci_line);
  char command[32];
  CopyWord(line, command, sizeof command);
  const char* rest = AfterWord(line);
  if (command[0] == 0) return false;
  if (strcmp(command, "uci") == 0) {
    WriteIdentity();
  } else if (strcmp(command, "isready") == 0) {
    WriteText("readyok\n");
  } else if (strcmp(command, "setoption") == 0) {
    if (!RefusedWhileSearching(command)) ApplyUciOption(rest);
  } else if (strcmp(command, "ucinewgame") == 0) {
    if (!RefusedWhileSearching(command)) {
      // The evaluation's new-game preparation looks at the new position.
      ResetUciPosition();
      ResetForNewGame();
      book_missed = false;
    }
  } else if (strcmp(command, "position") == 0) {
    if (!RefusedWhileSearching(command)) {
      SetUciPosition(rest);
      if (!ContinuesPreviousGame() || (UciGameFromStart() && game_length == 0)) book_missed = false;
      RememberGame();
    }
  } else if (strcmp(command, "go") == 0) {
    if (!RefusedWhileSearching(command)) {
      current_go = ParseUciGo(rest);
      go_pending = true;
    }
  } else if (strcmp(command, "stop") == 0) {
    if (search_active) stop_requested = true;
    return search_active;
  } else if (strcmp(command, "ponderhit") == 0) {
    PonderHitCommand();
  } else if (strcmp(command, "quit") == 0) {
    engine_state = EngineState::Quit;
    return true;
  } else if (strcmp(command, "debug") == 0 || strcmp(command, "register") == 0) {
    // Nothing to debug or register.
  } else {
    char message[96];
    snprintf(message, sizeof message, "unknown command '%s'", command);
    WriteInfoString(message);
  }
  return false;
}

bool IsLegalInGame(Move move) {
  for (int i = 0; i < legal_count; i++) {
    if (legal_moves[i] == move) return true;
  }
  return false;
}

// Whether a front end may ponder after this move: not when the clock left
// is within the reserve (the time rules say why).
bool ClockAllowsPonderMove() {
  const int32_t clock_ms = current_go.clock_ms[go_side];
  if (current_go.move_time_ms >= 0 || clock_ms < 0) return true;
  const int64_t left = int64_t{clock_ms} - UciMoveOverheadMs() - search_record.result.elapsed_ms;
  return ClockAllowsPondering(left);
}

// The reply to ponder on: the variation's second move, when it is legal
// after the best move and the clock leaves time to ponder.
Move PonderMove(Move best) {
  const SearchResult& result = search_record.result;
  if (best == 0 || result.pv[0] != best || result.pv[1] == 0) return 0;
  if (!ClockAllowsPonderMove()) return 0;
  Move replies[LEGAL_LIST_SIZE];
  ApplyGameMove(best);
  const int count = BuildLegalMoves(game_position, replies);
  TakeBack();
  for (int i = 0; i < count; i++) {
    if (replies[i] == result.pv[1]) return result.pv[1];
  }
  return 0;
}

// A book move for a timed search of a game from the start position.
Move BookMoveForGo() {
  if (!UciOwnBook() || book_missed || !UciGameFromStart()) return 0;
  if (current_go.ponder || current_go.infinite || !UciGoIsTimed(current_go, game_position.side)) return 0;
  // A mate hunt, or a choice among named moves, is the front end's question.
  if (current_go.mate >= 0 || current_go.search_move_count > 0) return 0;
  const Move move = BookMoveForGame();
  if (move != 0 && IsLegalInGame(move)) return move;
  book_missed = true;
  return 0;
}

// "go": the book or a search, then "bestmove" once the front end may have it.
void RunGo() {
  const Move book_move = BookMoveForGo();
  if (book_move != 0) {
    WriteBestMove(book_move, 0);
    return;
  }
  search_active = true;
  stop_requested = false;
  mate_found = false;
  last_info = {0, 0, 0};
  shown_current = {0, -1};
  const int side = game_position.side;
  go_side = side;
  engine_state = EngineState::Thinking;
  SearchOrder order = UciSearchOrder(current_go, side, FlagIsSet(Ponder), ReportSearch, UciMoveOverheadMs());
  order.multi_pv = multi_pv;
  RunSearch(order);
  // An infinite or ponder search that ended by itself still waits.
  while (engine_state != EngineState::Quit && !stop_requested &&
         UciGoWaitsForStop(current_go, side)) {
    ReadAndParse();
  }
  search_active = false;
  if (engine_state == EngineState::Quit) return;
  engine_state = EngineState::Waiting;
  const Move best = search_record.result.result_move;
  if (search_record.request.multi_pv > 1 && search_record.line_count > 0) {
    WriteSearchLines();
  } else {
    WriteSearchInfo();
  }
  WriteBestMove(best, PonderMove(best));
}

}  // namespace

bool FirstCommandIsUci() {
  // Empty lines before the first command choose nothing.
  const char* line = ReadAheadLine();
  while (line[0] == 0 && !InputEnded()) {
    DropHeldLine();
    line = ReadAheadLine();
  }
  if (strcmp(line, "uci") != 0) return false;
  DropHeldLine();
  return true;
}

void RunUciLoop() {
  UseParseBuffer(uci_line, sizeof uci_line);
  SetLineParser(ParseUciLine);
  SetInputPoller(PollUci);
  SetPollFlag(&poll_requested);
  // Without the tick thread the search must time its polls itself, or
  // "stop", the clock and the node limit would go unwatched.
  UseSelfTimedPolls(!StartTickThread());
  go_pending = false;
  RememberStartupOptions();
  NewGame(START_TEXT);
  RebuildLegalMoves();
  engine_state = EngineState::Waiting;
  WriteIdentity();
  while (engine_state != EngineState::Quit) {
    if (go_pending) {
      go_pending = false;
      RunGo();
    } else {
      ReadAndParse();
    }
  }
  StopTickThread();
}
