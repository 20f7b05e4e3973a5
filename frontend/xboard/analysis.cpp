#include "frontend/xboard/analysis.h"

#include <cstring>

#include "frontend/console.h"
#include "frontend/engine_state.h"
#include "frontend/game.h"
#include "frontend/move_text.h"
#include "frontend/search_handover.h"
#include "frontend/xboard/thinking_output.h"
#include "search/search_record.h"

namespace {

// The game generation last analysed; analysis is due when it differs.
uint32_t analysed_generation = 0;

// What the last line showed, so that an iteration ending without news
// does not repeat it.
struct ShownLine {
  int depth;
  int score;
  Move move;
};
ShownLine last_shown = {0, 0, 0};

void ReportAnalysis(ProgressEvent) {
  const SearchResult& result = search_record.result;
  if (result.result_move == 0) return;
  if (result.depth == last_shown.depth && result.score == last_shown.score &&
      result.result_move == last_shown.move) {
    return;
  }
  last_shown = {result.depth, result.score, result.result_move};
  ThinkingRecord record;
  record.score = result.score;
  record.elapsed_ms = static_cast<int32_t>(SearchElapsedMs());
  record.depth = result.depth;
  record.nodes = SearchNodes();
  memcpy(record.pv, result.pv, sizeof record.pv);
  char line[FORMAT_BUFFER_SIZE];
  FormatThinking(record, line, sizeof line);
  WriteText(line);
  WriteText("\r\n");
}

}  // namespace

void StartAnalysis() {
  SetFlag(AnalyseMode, true);
  analysed_generation = game_generation - 1;
}

void EndAnalysis() {
  SetFlag(AnalyseMode, false);
  SetFlag(ForceMode, true);
}

bool AnalysisDue() {
  return analysed_generation != game_generation && GamePositionIsPlayable() && legal_count > 0;
}

void AnalysePosition() {
  analysed_generation = game_generation;
  last_shown = {0, 0, 0};
  RunSearch({false, {0, 0}, DEFAULT_DEPTH_LIMIT, ReportAnalysis});
}

void WriteAnalysisStatus() {
  if (!SearchIsRunning()) return;
  const SearchProgress progress = CurrentProgress();
  char move[MOVE_TEXT_SIZE] = "";
  if (progress.current_move != 0) {
    MoveToText(progress.current_move, move);
    // "e7e8=q" reads e7e8q here, an ordinary move without its blanks.
    if (move[4] == '=') {
      move[4] = move[5];
      move[5] = 0;
    } else {
      move[4] = 0;
    }
  }
  const int left = progress.root_count - progress.root_index - 1;
  PrintFormatted("stat01: %u %u %i %i %i %s", SearchElapsedMs() / 10,
                 static_cast<uint32_t>(SearchNodes()), progress.depth, left > 0 ? left : 0,
                 progress.root_count, move);
  WriteText("\r\n");
}
