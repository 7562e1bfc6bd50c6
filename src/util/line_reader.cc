#include "util/line_reader.h"

#include <cerrno>
#include <cstring>

namespace torvane {

namespace {

constexpr char kControlZ = 26;

// The first `c` in [from, to), or `to`; an empty range may have no storage at all.
const char* findByte(const char* from, const char* to, char c) {
  if (from == to) return to;
  const void* found = std::memchr(from, c, static_cast<std::size_t>(to - from));
  return found ? static_cast<const char*>(found) : to;
}

}  // namespace

LineReader::LineReader(std::FILE* file, std::size_t blockSize)
    : file_(file), buffer_(blockSize > 0 ? blockSize : 1) {
  cursor_ = end_ = nul_ = buffer_.data();
}

LineReader::LineReader(std::string_view bytes)
    : cursor_(bytes.data()), end_(bytes.data() + bytes.size()), exhausted_(true) {
  endAtControlZ(cursor_);
  findNul(cursor_);
}

// NUL bytes are rare; looking for them once per block rather than once per line keeps
// the check off the path of every line.
void LineReader::findNul(const char* from) { nul_ = findByte(from, end_, '\0'); }

void LineReader::endAtControlZ(const char* from) {
  const char* z = findByte(from, end_, kControlZ);
  if (z != end_) {
    end_ = z;
    exhausted_ = true;
  }
}

bool LineReader::peekLine(std::string_view& line) {
  if (!nextLine(line)) return false;
  // The line still stands in the buffer: reading goes on from its start again.
  cursor_ = line.data();
  searched_ = 0;
  --lineNumber_;
  findNul(cursor_);
  return true;
}

bool LineReader::nextLineFromMoreInput(std::string_view& line) {
  for (;;) {
    // Bytes searched before a refill are not searched again: a long line that arrives in
    // many small reads, as from a pipe, still costs time in proportion to its length.
    const char* stop = findByte(cursor_ + searched_, end_, '\n');
    if (stop != end_) return deliverLine(line, stop);
    searched_ = static_cast<std::size_t>(end_ - cursor_);
    if (exhausted_) break;
    if (!refill()) return false;
  }
  if (failed() || cursor_ == end_) return false;
  line = withoutCarriageReturn(cursor_, end_);
  lineHasNul_ = nul_ < end_;
  lastLineUnended_ = true;
  cursor_ = end_;
  searched_ = 0;
  ++lineNumber_;
  return true;
}

// Moves the unfinished line to the front of the buffer, growing the buffer when the line
// fills it, and reads the next block behind it.
bool LineReader::refill() {
  std::size_t kept = static_cast<std::size_t>(end_ - cursor_);
  std::size_t nulAt = static_cast<std::size_t>(nul_ - cursor_);  // kept when none is kept
  if (kept == buffer_.size()) {
    std::vector<char> larger(buffer_.size() * 2);
    std::memcpy(larger.data(), cursor_, kept);
    buffer_.swap(larger);
  } else if (kept > 0 && cursor_ != buffer_.data()) {
    std::memmove(buffer_.data(), cursor_, kept);
  }
  char* fresh = buffer_.data() + kept;
  cursor_ = buffer_.data();
  std::size_t got = std::fread(fresh, 1, buffer_.size() - kept, file_);
  end_ = fresh + got;
  if (std::ferror(file_)) {
    // A read error is not the end of the input: what follows is unknown, so the
    // reading fails rather than end early with a valid-looking result.
    error_ = errno ? std::strerror(errno) : "read error";
    exhausted_ = true;
    return false;
  }
  if (got == 0) exhausted_ = true;
  endAtControlZ(fresh);
  if (nulAt < kept) {
    nul_ = cursor_ + nulAt;
  } else {
    findNul(fresh);
  }
  return true;
}

}  // namespace torvane
