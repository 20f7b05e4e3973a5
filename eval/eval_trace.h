// A record of each evaluation stage's contribution, for the developer
// tool: rows in evaluation order, values from White's view.
#pragma once

struct EvalTrace {
  struct Row {
    const char* stage;
    int white_view;
  };
  static constexpr int MAX_ROWS = 24;
  Row rows[MAX_ROWS];
  int count = 0;
  const char* exit_note = nullptr;  // set when the evaluation returned early

  void Add(const char* stage, int white_view) {
    if (count < MAX_ROWS) rows[count++] = {stage, white_view};
  }
};
