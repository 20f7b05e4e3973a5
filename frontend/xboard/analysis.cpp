#include "frontend/xboard/analysis.h"

#include <cstring>

#include "frontend/console.h"
#include "frontend/engine_state.h"
#include "frontend/game.h"
#include "frontend/move_text.h"
#include "frontend/search_handover.h"
#include "frontend/xboard/thinking_output.h"
#include "search/search.h"
#include "search/search_control.h"
#include "search/search_record.h"

namespace {

// The game generation last analysed; analysis is due when it differs.
uint32_t analysed_generation = 0;

// What the last line showed, so that an iteration ending without news
// does not repeat it, nor a proven mate every deeper iteration.
struct ShownLine {
  int depth;
  int score;
  Move move;
};
ShownLine last_shown = {0, 0, 0};

// Mates as front ends expect them in analysis: 100000 + N for a mate in N
// moves, -100000 - N when mated in N.
constexpr int SHOWN_MATE_BASE = 100000;

}  // namespace

int AnalysisScore(int score) {
  if (score > MATE_BOUND) return SHOWN_MATE_BASE + (MATE - score + 1) / 2;
  if (score < -MATE_BOUND) return -SHOWN_MATE_BASE - (MATE + score) / 2;
  return score;
}

namespace {

// One thinking line with the exact score.
void WriteAnalysisLine(int depth, int score, const Move* pv) {
  ThinkingRecord record;
  record.score = score;
  record.elapsed_ms = static_cast<int32_t>(SearchElapsedMs());
  record.depth = depth;
  record.nodes = SearchNodes();
  memcpy(record.pv, pv, sizeof record.pv);
  char line[FORMAT_BUFFER_SIZE];
  FormatThinkingWithScore(record, AnalysisScore(score), line, sizeof line);
  WriteText(line);
  WriteText("\r\n");
}

bool IsMate(int score) { return score > MATE_BOUND || score < -MATE_BOUND; }

void ReportAnalysis(ProgressEvent event) {
  const SearchResult& result = search_record.result;
  if (result.result_move == 0) return;
  // Several lines: all of them at each completed iteration, and only then,
  // so that a depth's lines come together, best first.
  if (search_record.request.multi_pv > 1) {
    if (event != ProgressEvent::IterationDone) return;
    for (int i = 0; i < search_record.line_count; i++) {
      const RootLine& line = search_record.lines[i];
      WriteAnalysisLine(line.depth, line.score, line.pv);
    }
    last_shown = {result.depth, result.score, result.result_move};
    return;
  }
  const bool same_news = result.score == last_shown.score && result.result_move == last_shown.move;
  if (same_news && (result.depth == last_shown.depth || IsMate(result.score))) return;
  last_shown = {result.depth, result.score, result.result_move};
  WriteAnalysisLine(result.depth, result.score, result.pv);
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
  SearchOrder order = {false, {0, 0}, DEFAULT_DEPTH_LIMIT, ReportAnalysis};
  order.multi_pv = multi_pv;
  RunSearch(order);
  // A command that stopped the search without changing the position
  // ("force", an "undo" with nothing to take back) must not end the
  // analysis: the same position is analysed again. A search that ended by
  // itself is not restarted.
  if (FlagIsSet(AnalyseMode) && FlagSet(INPUT_STOP)) analysed_generation = game_generation - 1;
}

void WriteAnalysisStatus() {
  // After a search that ended by itself the figures are its last ones.
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
