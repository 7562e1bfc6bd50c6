#pragma once

#include <string>
#include <string_view>

class CommandFile;
class LineReader;

/// Reads every line of `input` into the records of `file`. False at the first line that
/// is not accepted, after its message, or when the input could not be read to its end.
[[nodiscard]] bool readRecords(LineReader& input, CommandFile& file);

/// True when `line` is framed as a record: a record letter, whichever it is, then a
/// colon. The reader rejects a framed line too when it holds a NUL byte.
bool isRecordFrame(std::string_view line);

/// The message for a line that is not framed as a record: "Bad CDB record format:" and
/// the line, with its NUL bytes shown as ^@ so that the message stays one readable line.
std::string badFormatMessage(std::string_view line);

