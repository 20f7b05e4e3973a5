#include "tools/book/pgn_reader.h"

#include <cctype>
#include <cstring>

namespace {

GameResult ResultOf(const std::string& text) {
  if (text == "1-0") return GameResult::WhiteWins;
  if (text == "0-1") return GameResult::BlackWins;
  if (text == "1/2-1/2") return GameResult::Draw;
  return GameResult::Unknown;
}

bool IsResultToken(const std::string& token) {
  return token == "1-0" || token == "0-1" || token == "1/2-1/2" || token == "*";
}

// Blanks, line ends and every other control character (a zero byte too).
bool IsBlank(char c) {
  const unsigned char u = static_cast<unsigned char>(c);
  return u <= ' ' || u == 127;
}

// Characters that end a move token whatever precedes them.
bool IsDelimiter(char c) { return IsBlank(c) || std::strchr("{}();[]$", c) != nullptr; }

// The marks some write after an en-passant capture ("exd6 e.p.").
bool IsEnPassantMark(const std::string& token) { return token == "e.p." || token == "ep" || token == "e.p"; }

// "12." "12..." a token made of annotation marks, or an en-passant mark:
// nothing to play.
bool IsNoise(const std::string& token) {
  return token.find_first_not_of("0123456789.") == std::string::npos ||
         token.find_first_not_of("!?") == std::string::npos || IsEnPassantMark(token);
}

// A move with an en-passant mark glued to it ("exd6e.p.") loses the mark.
std::string WithoutEnPassantMark(const std::string& token) {
  const size_t mark = token.size() > 6 ? token.size() - 4 : std::string::npos;
  return mark != std::string::npos && token.compare(mark, 4, "e.p.") == 0 ? token.substr(0, mark) : token;
}

// A move number glued to its move ("1.e4", "3...Nf6") loses the number.
std::string WithoutMoveNumber(const std::string& token) {
  const size_t digits = token.find_first_not_of("0123456789");
  if (digits == 0 || digits == std::string::npos || token[digits] != '.') return token;
  return token.substr(token.find_first_not_of('.', digits));
}

}  // namespace

// Blanks, {comments}, ;comments to the end of the line and %escape lines.
void PgnReader::SkipSpaceAndComments() {
  while (at_ < text_.size()) {
    const char c = text_[at_];
    if (IsBlank(c)) {
      ++at_;
    } else if (c == '{') {
      const size_t end = text_.find('}', at_);
      at_ = end == std::string::npos ? text_.size() : end + 1;
    } else if (c == ';' || (c == '%' && (at_ == 0 || text_[at_ - 1] == '\n'))) {
      const size_t end = text_.find('\n', at_);
      at_ = end == std::string::npos ? text_.size() : end + 1;
    } else {
      return;
    }
  }
}

// [Name "value"], with \" and \\ inside the value; only Result and FEN matter.
void PgnReader::ReadTag(PgnGame& game) {
  ++at_;
  std::string name;
  while (at_ < text_.size() && std::isalnum(static_cast<unsigned char>(text_[at_]))) name += text_[at_++];
  std::string value;
  while (at_ < text_.size() && text_[at_] != '"' && text_[at_] != ']') ++at_;
  if (at_ < text_.size() && text_[at_] == '"') {
    ++at_;
    while (at_ < text_.size() && text_[at_] != '"') {
      if (text_[at_] == '\\' && at_ + 1 < text_.size()) ++at_;
      value += text_[at_++];
    }
  }
  while (at_ < text_.size() && text_[at_] != ']' && text_[at_] != '\n') ++at_;
  if (at_ < text_.size() && text_[at_] == ']') ++at_;
  if (name == "Result") game.result = ResultOf(value);
  if (name == "FEN") game.set_up = true;
}

std::string PgnReader::ReadToken() {
  const size_t start = at_;
  while (at_ < text_.size() && !IsDelimiter(text_[at_])) ++at_;
  return text_.substr(start, at_ - start);
}

bool PgnReader::Next(PgnGame& game) {
  game = PgnGame();
  bool started = false;
  bool in_moves = false;
  int depth = 0;  // variation nesting
  for (;;) {
    SkipSpaceAndComments();
    if (at_ >= text_.size()) break;
    const char c = text_[at_];
    if (c == '[') {
      if (in_moves) break;  // the next game's tags: this one had no result
      started = true;
      ReadTag(game);
      continue;
    }
    started = in_moves = true;
    if (c == '(' || c == ')') {
      depth += c == '(' ? 1 : (depth > 0 ? -1 : 0);
      ++at_;
      continue;
    }
    if (c == '$') {  // numeric annotation glyph
      ++at_;
      while (at_ < text_.size() && std::isdigit(static_cast<unsigned char>(text_[at_]))) ++at_;
      continue;
    }
    if (c == '}' || c == ']') {  // stray closing mark
      ++at_;
      continue;
    }
    const std::string token = ReadToken();
    if (token.empty()) {  // a character that starts nothing: read past it
      ++at_;
      continue;
    }
    if (depth > 0 || IsNoise(token)) continue;
    if (IsResultToken(token)) {
      if (token != "*" || game.result == GameResult::Unknown) game.result = ResultOf(token);
      break;
    }
    game.moves.push_back(WithoutEnPassantMark(WithoutMoveNumber(token)));
  }
  if (!started) return false;
  game.number = ++games_read_;
  return true;
}
