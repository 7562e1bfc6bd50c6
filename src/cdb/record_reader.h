#pragma once

#include <string_view>

class CommandFile;
class LineReader;

/// Reads every line of `input` into the records of `file`. False at the first line that
/// is not accepted, after its message, or when the input could not be read to its end.
[[nodiscard]] bool readRecords(LineReader& input, CommandFile& file);

