#include "viewers/rich_edit_conversion.h"

#include <algorithm>
#include <cstring>

namespace tw {

int TConversion::ConvertReadStream(TStream& stream, char* buffer, int count) {
  return static_cast<int>(stream.Read(buffer, count));
}

int TConversion::ConvertWriteStream(TStream& stream, const char* buffer, int count) {
  stream.WriteBuffer(buffer, count);
  return count;
}

int TReadChunker::Next(char* out, int capacity) {
  const int step = capacity / 2;
  if (step < 2) return 0;
  // Every chunk but the last is full (or one byte short, to keep a CR LF together): the
  // control's cost grows with the number of chunks, and converted line breaks can take twice
  // the bytes read for them.
  int n = 0;
  while (n < capacity && !cut_) {
    if (taken_ == converted_.size()) {
      if (!ReadStep(step)) break;
      continue;
    }
    if (room_ == 0) {
      cut_ = true;
      break;
    }
    size_t part = std::min(converted_.size() - taken_, static_cast<size_t>(capacity - n));
    // The control takes a CR ending one chunk and a LF opening the next as two line breaks:
    // such a pair waits for the next chunk whole.
    if (part < converted_.size() - taken_ && converted_[taken_ + part - 1] == '\r') --part;
    part = FitToLimit(part);
    std::memcpy(out + n, converted_.data() + taken_, part);
    taken_ += part;
    n += static_cast<int>(part);
    if (n < capacity && taken_ < converted_.size()) break;
  }
  return n;
}

size_t TReadChunker::FitToLimit(size_t part) {
  if (room_ < 0) return part;
  const char* data = converted_.data() + taken_;
  // Every CR here opens a CR LF: the conversion makes every break one.
  const auto pairs = static_cast<std::int64_t>(std::count(data, data + part, '\r'));
  const std::int64_t characters = static_cast<std::int64_t>(part) - (crlf_is_one_ ? pairs : 0);
  if (characters <= room_) {
    room_ -= characters;
    return part;
  }
  // Only the first room_ characters go, a break never halved.
  size_t fit = 0;
  while (room_ > 0) {
    const bool pair = data[fit] == '\r';
    if (pair && !crlf_is_one_ && room_ < 2) break;
    fit += pair ? 2 : 1;
    room_ -= pair && !crlf_is_one_ ? 2 : 1;
  }
  room_ = 0;
  return fit;
}

bool TReadChunker::ReadStep(int count) {
  converted_.clear();
  taken_ = 0;
  if (ended_) return false;
  raw_.resize(static_cast<size_t>(count) + 1);
  const int read = conversion_.ConvertReadStream(stream_, raw_.data(), count);
  if (read <= 0) {
    ended_ = true;
    if (!pending_cr_) return false;
    pending_cr_ = false;
    converted_ = "\r\n";
    return true;
  }
  raw_[static_cast<size_t>(read)] = '\0';
  const char* in = raw_.data();
  const char* end = in + std::strlen(in);  // what this step shows ends at a zero byte
  if (pending_cr_) {
    // The held CR and a LF opening this step are one break; alone it is a break of its own.
    pending_cr_ = false;
    converted_ += "\r\n";
    if (in < end && *in == '\n') ++in;
  }
  // Hold a CR that ends the step: its LF may open the next one. Only the step's own last byte
  // counts; a CR cut off by a zero byte is a break of its own.
  if (end == raw_.data() + read && end > in && end[-1] == '\r') {
    pending_cr_ = true;
    --end;
  }
  for (; in < end; ++in) {
    if (*in == '\r') {
      converted_ += "\r\n";
      if (in + 1 < end && in[1] == '\n') ++in;
    } else if (*in == '\n') {
      converted_ += "\r\n";
    } else {
      converted_ += *in;
    }
  }
  return true;
}

}  // namespace tw
