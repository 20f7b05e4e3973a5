#include "frontend/uci/output.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "frontend/console.h"
#include "frontend/move_text.h"
#include "frontend/search_handover.h"
#include "search/search.h"
#include "search/search_record.h"

char* UciMoveText(Move move, char* text) {
  char xboard_text[MOVE_TEXT_SIZE];
  MoveToText(move, xboard_text);
  memcpy(text, xboard_text, 4);
  // "e7e8=q" becomes "e7e8q"; an ordinary move ends after four characters.
  text[4] = xboard_text[4] == '=' ? xboard_text[5] : 0;
  text[5] = 0;
  return text;
}

Move UciMoveFromText(const char* text, const Move* legal, int count) {
  for (int i = 0; i < count; i++) {
    char candidate[UCI_MOVE_SIZE];
    if (strcmp(UciMoveText(legal[i], candidate), text) == 0) return legal[i];
  }
  return 0;
}

void FormatUciScore(int score, char* text, size_t size) {
  if (score > MATE_BOUND) {
    snprintf(text, size, "mate %i", (MATE - score + 1) / 2);
  } else if (score < -MATE_BOUND) {
    snprintf(text, size, "mate %i", -((MATE + score) / 2));
  } else {
    snprintf(text, size, "cp %i", score);
  }
}

void WriteInfoString(const char* text) {
  WriteText("info string ");
  WriteText(text);
  WriteText("\n");
}

void WriteSearchInfo() {
  const SearchResult& result = search_record.result;
  if (result.result_move == 0) return;
  const uint64_t nodes = SearchNodes();
  uint32_t elapsed = SearchElapsedMs();
  const uint64_t nps = nodes * 1000 / (elapsed > 0 ? elapsed : 1);
  char score[32];
  FormatUciScore(result.score, score, sizeof score);
  char line[FORMAT_BUFFER_SIZE];
  snprintf(line, sizeof line, "info depth %i score %s time %u nodes %" PRIu64 " nps %" PRIu64 " pv",
           result.depth, score, elapsed, nodes, nps);
  for (int i = 0; i < 8 && result.pv[i] != 0; i++) {
    char move[UCI_MOVE_SIZE];
    strncat(line, " ", sizeof line - strlen(line) - 1);
    strncat(line, UciMoveText(result.pv[i], move), sizeof line - strlen(line) - 1);
  }
  WriteText(line);
  WriteText("\n");
}

void WriteBestMove(Move best, Move ponder) {
  char best_text[UCI_MOVE_SIZE];
  char ponder_text[UCI_MOVE_SIZE];
  WriteText("bestmove ");
  WriteText(best != 0 ? UciMoveText(best, best_text) : "0000");
  if (best != 0 && ponder != 0) {
    WriteText(" ponder ");
    WriteText(UciMoveText(ponder, ponder_text));
  }
  WriteText("\n");
}
