// The front end's chief header: the engine's state, the protocol flags and
// the settings the protocol commands change.
#pragma once

#include <cstdint>

// What the command loop does next.
enum class EngineState : uint8_t {
  New = 1,          // a new game is to be set up from fen_source
  Waiting = 2,      // waiting for input: the opponent is to move, or force mode
  Thinking = 3,     // searching (or about to search) for the engine's move
  PonderStart = 4,  // the engine has moved and will ponder on the expected reply
  Pondering = 5,    // searching the position after the expected reply
  GameOver = 6,     // the side to move has no legal move
  Quit = 7,         // the program ends
  Analysing = 8,    // analysing the game position for the front end ("analyze")
};

extern EngineState engine_state;

// Protocol flag bits, kept in one byte.
enum ProtocolFlag : uint8_t {
  ForceMode = 0x01,           // record moves, do not think ("force")
  Ponder = 0x02,              // think on the opponent's time ("hard")
  Post = 0x04,                // print the thinking line ("post")
  Kibitz = 0x08,              // build the thinking line ("kibitz" N >= 1)
  OpponentIsComputer = 0x10,  // never resign; narrower book choice
  UseBook = 0x20,             // the game started from the start text
  AnalyseMode = 0x40,         // between "analyze" and "exit"
};

extern uint8_t protocol_flags;

inline bool FlagIsSet(uint8_t flag) { return (protocol_flags & flag) != 0; }
inline void SetFlag(uint8_t flag, bool on) {
  protocol_flags = on ? (protocol_flags | flag) : (protocol_flags & ~flag);
}

// Settings, with the values they start with.
inline constexpr uint32_t NO_FIXED_MOVE_TIME = 604800000;  // 7 days in ms
inline constexpr int32_t DEFAULT_DEPTH_LIMIT = 64;
inline constexpr int OPPONENT_NAME_SIZE = 256;

extern int32_t moves_per_control;  // "level": moves per time control
extern int32_t base_minutes;       // "level": base time (the clock comes from "time")
extern int32_t increment_s;        // "level": increment in seconds
extern int32_t own_clock_ms;       // "time" N: N * 10
extern int32_t opponent_clock_ms;  // "otim" N: N * 10
extern uint32_t fixed_move_ms;     // "st" N: N * 1000
extern int32_t depth_limit;        // "sd" N
extern int32_t draw_score;         // "draw_score" N (stored only)
extern char opponent_name[OPPONENT_NAME_SIZE];
extern int32_t multi_pv;           // UCI "MultiPV", xboard "option MultiPV=N": 1 .. 64

// The start position text, and the text the next new game is set up from.
extern const char START_TEXT[];
extern const char* fen_source;

// Points fen_source at a copy of `text`, which may live in the line buffer.
void SetFenSource(const char* text);
