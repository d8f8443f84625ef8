#include "viewers/rich_edit_conversion.h"

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
  const int half = capacity / 2;
  if (half < 2) return 0;
  raw_.resize(static_cast<size_t>(half) + 1);
  // A read whose bytes all vanish (a lone held-back CR, a leading zero byte) is not the end of
  // the stream: the control takes an empty chunk as the end, so read on.
  for (;;) {
    // A held CR takes two bytes of the chunk, so one byte less is read behind it.
    const int read = conversion_.ConvertReadStream(stream_, raw_.data(), pending_cr_ ? half - 1 : half);
    if (read <= 0) {
      if (!pending_cr_) return 0;
      pending_cr_ = false;
      out[0] = '\r';
      out[1] = '\n';
      return 2;
    }
    raw_[static_cast<size_t>(read)] = '\0';
    const char* in = raw_.data();
    const char* end = in + std::strlen(in);  // the chunk ends at a zero byte
    int n = 0;
    if (pending_cr_) {
      // The held CR and a LF opening this read are one break; alone it is a break of its own.
      pending_cr_ = false;
      out[n++] = '\r';
      out[n++] = '\n';
      if (in < end && *in == '\n') ++in;
    }
    // Hold a CR that ends the read: its LF may open the next one. Only the read's own last
    // byte counts; a CR cut off by a zero byte is a break of its own.
    if (end == raw_.data() + read && end > in && end[-1] == '\r') {
      pending_cr_ = true;
      --end;
    }
    for (; in < end; ++in) {
      if (*in == '\r') {
        out[n++] = '\r';
        out[n++] = '\n';
        if (in + 1 < end && in[1] == '\n') ++in;
      } else if (*in == '\n') {
        out[n++] = '\r';
        out[n++] = '\n';
      } else {
        out[n++] = *in;
      }
    }
    if (n > 0) return n;
  }
}

}  // namespace tw
