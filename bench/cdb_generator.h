#pragma once

#include <cstdint>
#include <cstdio>

/// Writes a synthetic CDB file of about `lines` lines to `out`, shaped like the linked
/// output of SDCC for a program of many modules: module, function, symbol and structure
/// records first, then the address link records for them, then the code of each
/// function as assembler and C line records and its end address. The same seed gives
/// the same file. Returns the number of lines written.
uint64_t generateCdb(std::FILE* out, uint64_t lines, uint64_t seed);
