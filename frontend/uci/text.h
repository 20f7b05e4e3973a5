// Small helpers for reading UCI command lines: words separated by blanks.
#pragma once

#include <cstddef>

inline bool IsBlank(char c) { return c == ' ' || c == '\t'; }

inline const char* SkipBlanks(const char* text) {
  while (IsBlank(*text)) text++;
  return text;
}

// True when `text` starts with `word` followed by a blank or the line's end.
bool StartsWithWord(const char* text, const char* word);

// The text after the first word, its leading blanks skipped.
const char* AfterWord(const char* text);

// Copies the first word of `text` into `word` (cut to its size).
void CopyWord(const char* text, char* word, size_t size);

// ASCII comparison that ignores case, as UCI option names are compared.
bool EqualIgnoringCase(const char* a, const char* b);
