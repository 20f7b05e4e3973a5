#include "search/search_progress.h"

#include "search/root_search.h"

namespace {

ProgressReporter progress_reporter = nullptr;

}  // namespace

void SetProgressReporter(ProgressReporter reporter) { progress_reporter = reporter; }

void ReportProgress(ProgressEvent event) {
  if (progress_reporter != nullptr) progress_reporter(event);
}

SearchProgress CurrentProgress() {
  const int index = root.root_index;
  const Move move = index >= 0 && index < root.count ? root.moves[index] : 0;
  return {root.depth, index, root.count, move};
}
