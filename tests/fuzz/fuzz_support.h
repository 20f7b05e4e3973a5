// What the fuzz targets share: the engine's tables built once, protocol
// output thrown away, input bytes as standard input, and the check that
// reports a broken property as a crash.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "board/position.h"

// Builds the attack tables, keys, a small transposition table and the
// evaluation tables on the first call; later calls do nothing.
void PrepareEngine();

// Sends standard output to /dev/null (protocol answers are not checked).
void SilenceOutput();

// Makes the bytes the whole of standard input, read from the start: a
// temporary file (removed when the process ends) is placed on descriptor 0.
void SetStandardInput(const uint8_t* data, size_t size);

// The bytes as a zero-ended text (an embedded zero ends it early).
std::string TextOf(const uint8_t* data, size_t size);

// Reports a broken property on standard error and aborts, which the fuzzer
// records as a crash with the input that caused it.
void FuzzCheck(bool holds, const char* what);

// The bitboards and the key of pos agree with its board array, rights,
// en-passant square and side; `what` names the failure.
void CheckPositionViews(const Position& pos, const char* what);

// The target's entry, as libFuzzer calls it.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);
