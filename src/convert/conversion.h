#pragma once

#include "torvane/converter.h"

namespace torvane {

class LineReader;

/// Converts what `input` reads, as convert does for memory and streams: the one
/// conversion behind them and the file API. `outputName` names the command file in the
/// message of a sink that refuses a line; empty for none.
[[nodiscard]] ConvertResult convertLines(LineReader& input, const ConvertOptions& options,
                                         LineSink& sink, const std::string& outputName = {});

}  // namespace torvane
