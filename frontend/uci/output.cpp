#include "frontend/uci/output.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "frontend/console.h"
#include "frontend/move_text.h"
#include "frontend/search_handover.h"
#include "search/search.h"
#include "search/search_record.h"
#include "search/transposition.h"

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

void WriteInfoString(const char* text) { PrintFormatted("info string %s\n", text); }

namespace {

// Appends " move" for each move of a variation ended by 0 (at most 8).
void AppendVariation(char* line, size_t size, const Move* pv) {
  for (int i = 0; i < 8 && pv[i] != 0; i++) {
    char move[UCI_MOVE_SIZE];
    const size_t used = strlen(line);
    snprintf(line + used, size - used, " %s", UciMoveText(pv[i], move));
  }
}

// One whole info line about a variation, written at once: a client that
// parses each read must never see half a line. `line_number` 0 leaves
// "multipv" out.
void WriteVariationInfo(int depth, int score, const Move* pv, int line_number) {
  const uint64_t nodes = SearchNodes();
  const uint32_t elapsed = SearchElapsedMs();
  const uint64_t nps = nodes * 1000 / (elapsed > 0 ? elapsed : 1);
  char score_text[32];
  FormatUciScore(score, score_text, sizeof score_text);
  char multipv[24] = "";
  if (line_number > 0) snprintf(multipv, sizeof multipv, " multipv %i", line_number);
  char line[FORMAT_BUFFER_SIZE];
  snprintf(line, sizeof line,
           "info depth %i seldepth %i%s score %s time %u nodes %" PRIu64 " nps %" PRIu64 " hashfull %i pv",
           depth, SelectiveDepth(), multipv, score_text, elapsed, nodes, nps, HashFullPermille());
  AppendVariation(line, sizeof line - 1, pv);
  strcat(line, "\n");
  WriteText(line);
}

}  // namespace

void WriteSearchInfo() {
  const SearchResult& result = search_record.result;
  if (result.result_move == 0) return;
  WriteVariationInfo(result.depth, result.score, result.pv, search_record.request.multi_pv > 1 ? 1 : 0);
}

void WriteSearchLines() {
  for (int i = 0; i < search_record.line_count; i++) {
    const RootLine& line = search_record.lines[i];
    WriteVariationInfo(line.depth, line.score, line.pv, i + 1);
  }
}

void WriteCurrentMove(int depth, Move move, int number) {
  char text[UCI_MOVE_SIZE];
  PrintFormatted("info depth %i currmove %s currmovenumber %i\n", depth, UciMoveText(move, text), number);
}

void WriteBestMove(Move best, Move ponder) {
  char best_text[UCI_MOVE_SIZE];
  char ponder_text[UCI_MOVE_SIZE];
  if (best == 0) {
    WriteText("bestmove 0000\n");
  } else if (ponder == 0) {
    PrintFormatted("bestmove %s\n", UciMoveText(best, best_text));
  } else {
    PrintFormatted("bestmove %s ponder %s\n", UciMoveText(best, best_text), UciMoveText(ponder, ponder_text));
  }
}
