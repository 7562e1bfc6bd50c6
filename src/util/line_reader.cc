#include "util/line_reader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>

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
    : file_(file),
      lineLimit_(lineLimit),
      buffer_(static_cast<char*>(std::malloc(blockSize > 0 ? blockSize : 1))),
      bufferSize_(blockSize > 0 ? blockSize : 1) {
  if (!buffer_) throw std::bad_alloc();
  cursor_ = end_ = nul_ = buffer_.get();
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
  if (readingPast_ && !finishReadingPast()) return false;
  for (;;) {
    // Bytes searched before a refill are not searched again: a long line that arrives in
    // many small reads, as from a pipe, still costs time in proportion to its length.
    const char* stop = findByte(cursor_ + searched_, end_, '\n');
    if (stop != end_) {
      if (static_cast<std::size_t>(stop - cursor_) > lineLimit_) {
        cursor_ = stop + 1;  // the line feed ends the long line here
        return deliverLongLine(line);
      }
      return deliverLine(line, stop);
    }
    searched_ = static_cast<std::size_t>(end_ - cursor_);
    if (searched_ > lineLimit_) {
      // What is held of it is dropped; the rest is read past only if another line is
      // asked for, so that a reader that stops here never reads an endless line on.
      cursor_ = end_;
      readingPast_ = true;
      return deliverLongLine(line);
    }
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

// A line longer than the limit, delivered empty.
bool LineReader::deliverLongLine(std::string_view& line) {
  searched_ = 0;
  findNul(cursor_);
  line = std::string_view();
  lineHasNul_ = false;
  lineTooLong_ = true;
  ++lineNumber_;
  return true;
}

// Reads past the rest of a long line, block by block, up to its line feed or the end of
// the input; false on a read error.
bool LineReader::finishReadingPast() {
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
  readingPast_ = false;
  findNul(cursor_);
  return true;
}

// Moves the unfinished line to the front of the buffer, growing the buffer when the line
// fills it (up to just past the longest line read), and reads the next block behind it.
bool LineReader::refill() {
  std::size_t kept = static_cast<std::size_t>(end_ - cursor_);
  std::size_t nulAt = static_cast<std::size_t>(nul_ - cursor_);  // kept when none is kept
  if (kept == bufferSize_) {
    // The whole buffer is the line: it stands at its front, where realloc keeps it.
    std::size_t larger = bufferSize_ * 2 >= lineLimit_ ? lineLimit_ + 1 : bufferSize_ * 2;
    larger = std::max(larger, bufferSize_ + 1);
    char* grown = static_cast<char*>(std::realloc(buffer_.get(), larger));
    if (!grown) throw std::bad_alloc();
    buffer_.release();
    buffer_.reset(grown);
    bufferSize_ = larger;
  } else if (kept > 0 && cursor_ != buffer_.get()) {
    std::memmove(buffer_.get(), cursor_, kept);
  }
  char* fresh = buffer_.get() + kept;
  cursor_ = buffer_.get();
  std::size_t got = std::fread(fresh, 1, bufferSize_ - kept, file_);
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
