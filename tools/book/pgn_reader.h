// Reading games in Portable Game Notation: tag pairs, the main line's
// moves and the result. Comments, variations, NAGs, move numbers and
// annotation marks are read past.
#pragma once

#include <string>
#include <vector>

// The result of a game, as the points White earned.
enum class GameResult { WhiteWins, Draw, BlackWins, Unknown };

// One game as written: its moves are not checked here.
struct PgnGame {
  int number = 0;                  // 1 for the first game of the text
  std::vector<std::string> moves;  // main line, as written (Nf3, exd5, O-O)
  GameResult result = GameResult::Unknown;
  bool set_up = false;             // a FEN tag: not played from the start position
};

// Splits a whole PGN text into games, one at a time.
class PgnReader {
 public:
  // A UTF-8 byte-order mark at the start, as some editors write it, is skipped.
  explicit PgnReader(std::string text) : text_(std::move(text)) {
    if (text_.compare(0, 3, "\xEF\xBB\xBF") == 0) at_ = 3;
  }

  // The next game with at least one tag or move; false at the end.
  bool Next(PgnGame& game);

 private:
  void SkipSpaceAndComments();
  void ReadTag(PgnGame& game);
  std::string ReadToken();

  std::string text_;
  size_t at_ = 0;
  int games_read_ = 0;
};
