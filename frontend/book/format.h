// The opening book file: a flat array of 8-byte little-endian records.
//
// Record 0 is the header: byte 0 the format mark (11), byte 1 the number of
// root entries N (1..127, a signed byte), bytes 2..7 unused. Records 1..N
// are the moves of the start position; every other list is the children of
// one entry, stored as consecutive records. An entry:
//
//   link         bits 0..23   record of the first child
//                bit  24      unused
//                bits 25..31  number of children, 0..127 (0: no continuation)
//   move_weight  bits 0..13   book key: destination * 64 + origin
//                bits 14..31  weight, 0..262143 (0: walked through, never chosen)
//
// Shared by the prober and the book tool, so both read the same layout.
#pragma once

#include <cstdint>

#include "board/position.h"

inline constexpr uint8_t BOOK_FORMAT_MARK = 11;
inline constexpr int BOOK_RECORD_SIZE = 8;
// The longest list of entries (root or children) the format can hold.
inline constexpr int BOOK_MAX_LIST = 127;
inline constexpr uint32_t BOOK_MAX_WEIGHT = (1u << 18) - 1;
// Records a link can address.
inline constexpr uint32_t BOOK_MAX_RECORDS = 1u << 24;

// One entry as stored.
struct BookEntry {
  uint32_t link;
  uint32_t move_weight;
};

inline uint32_t EntryFirstChild(const BookEntry& entry) { return entry.link & 0xFFFFFF; }
inline int EntryChildCount(const BookEntry& entry) { return static_cast<int>(entry.link >> 25); }
inline uint16_t EntryKey(const BookEntry& entry) { return entry.move_weight & 0x3FFF; }
inline uint32_t EntryWeight(const BookEntry& entry) { return entry.move_weight >> 14; }

// An entry from its fields; each field is cut to its width.
inline BookEntry MakeBookEntry(uint32_t first_child, int child_count, uint16_t key, uint32_t weight) {
  return {(first_child & 0xFFFFFF) | (static_cast<uint32_t>(child_count & 127) << 25),
          (key & 0x3FFFu) | ((weight & BOOK_MAX_WEIGHT) << 14)};
}

// The book key of a move: the reverse square order of the move word, with
// no promotion kind or en-passant flag.
inline uint16_t BookKeyOf(Move move) {
  return static_cast<uint16_t>(MoveTo(move) * 64 + MoveFrom(move));
}
inline int BookKeyFrom(uint16_t key) { return key & 63; }
inline int BookKeyTo(uint16_t key) { return (key >> 6) & 63; }

inline uint32_t ReadLittle32(const uint8_t* bytes) {
  return bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) | (static_cast<uint32_t>(bytes[3]) << 24);
}
inline void WriteLittle32(uint32_t value, uint8_t* bytes) {
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<uint8_t>(value >> (8 * i));
}

inline BookEntry DecodeBookEntry(const uint8_t* record) {
  return {ReadLittle32(record), ReadLittle32(record + 4)};
}
inline void EncodeBookEntry(const BookEntry& entry, uint8_t* record) {
  WriteLittle32(entry.link, record);
  WriteLittle32(entry.move_weight, record + 4);
}
