#include "util/line_reader.h"

#include <algorithm>
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

LineReader::LineReader(std::FILE* file, std::size_t blockSize, std::size_t lineLimit)
    : file_(file), lineLimit_(lineLimit), buffer_(blockSize > 0 ? blockSize : 1) {
  cursor_ = end_ = nul_ = buffer_.data();
}

LineReader::LineReader(std::string_view bytes, std::size_t lineLimit)
    : lineLimit_(lineLimit),
      cursor_(bytes.data()),
      end_(bytes.data() + bytes.size()),
      exhausted_(true) {
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

bool LineReader::peekStart(std::size_t count, std::string_view& start) {
  // More is read only while the line's first bytes are not all there yet; a refill
  // keeps what is unread at the front of the buffer.
  while (static_cast<std::size_t>(end_ - cursor_) < count && !exhausted_ &&
         findByte(cursor_, end_, '\n') == end_) {
    if (!refill()) return false;
  }
  if (cursor_ == end_) return false;
  const char* stop = findByte(cursor_, end_, '\n');
  std::size_t length = std::min(count, static_cast<std::size_t>(stop - cursor_));
  start = std::string_view(cursor_, length);
  return true;
}

bool LineReader::nextLineFromMoreInput(std::string_view& line) {
  for (;;) {
    // Bytes searched before a refill are not searched again: a long line that arrives in
    // many small reads, as from a pipe, still costs time in proportion to its length.
    const char* stop = findByte(cursor_ + searched_, end_, '\n');
    if (stop != end_) {
      if (static_cast<std::size_t>(stop - cursor_) > lineLimit_) {
        cursor_ = stop;  // the line feed ends the long line here
        return readPastLongLine(line);
      }
      return deliverLine(line, stop);
    }
    searched_ = static_cast<std::size_t>(end_ - cursor_);
    if (searched_ > lineLimit_) return readPastLongLine(line);
    if (exhausted_) break;
    if (!refill()) return false;
  }
  if (failed() || cursor_ == end_) return false;
  line = withoutCarriageReturn(cursor_, end_);
  lineHasNul_ = nul_ < end_;
  lineTooLong_ = false;
  lastLineUnended_ = true;
  cursor_ = end_;
  searched_ = 0;
  ++lineNumber_;
  return true;
}

// A line longer than the limit: what is held of it is dropped, the rest is read past,
// block by block, up to its line feed or the end of the input, and it is delivered empty.
bool LineReader::readPastLongLine(std::string_view& line) {
  for (;;) {
    const char* stop = findByte(cursor_, end_, '\n');
    if (stop != end_) {
      cursor_ = stop + 1;
      break;
    }
    cursor_ = end_;
    if (exhausted_) {
      lastLineUnended_ = true;
      break;
    }
    if (!refill()) return false;
  }
  searched_ = 0;
  findNul(cursor_);
  line = std::string_view();
  lineHasNul_ = false;
  lineTooLong_ = true;
  ++lineNumber_;
  return true;
}

// Moves the unfinished line to the front of the buffer, growing the buffer when the line
// fills it (up to just past the longest line read), and reads the next block behind it.
bool LineReader::refill() {
  std::size_t kept = static_cast<std::size_t>(end_ - cursor_);
  std::size_t nulAt = static_cast<std::size_t>(nul_ - cursor_);  // kept when none is kept
  if (kept == buffer_.size()) {
    std::vector<char> larger(
        std::max(buffer_.size() + 1, std::min(buffer_.size() * 2, lineLimit_ + 1)));
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

std::string tooLongText(std::size_t limit) {
  constexpr std::size_t kMiB = std::size_t{1} << 20;
  return "line longer than " +
         (limit % kMiB == 0 ? std::to_string(limit / kMiB) + " MiB" : std::to_string(limit) + " bytes");
}

}  // namespace torvane
