#pragma once
// The byte path between a stream and the rich edit control. TConversion moves a stream's bytes
// unchanged; TReadChunker turns what a conversion reads into the chunks the control is fed:
// every line break (LF, CR or CR LF) becomes CR LF, and what one read shows ends at a zero byte.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/stream.h"

namespace tw {

class TConversion {
public:
  virtual ~TConversion() = default;
  // Reads up to COUNT bytes of STREAM into BUFFER; returns the count read.
  virtual int ConvertReadStream(TStream& stream, char* buffer, int count);
  // Writes COUNT bytes of BUFFER to STREAM and returns COUNT; a short write fails.
  virtual int ConvertWriteStream(TStream& stream, const char* buffer, int count);
};

using TConversionClass = std::function<std::unique_ptr<TConversion>()>;

// Produces the control's read chunks from one stream, start to end, or up to a limit of
// characters as the control counts them.
class TReadChunker {
public:
  TReadChunker(TConversion& conversion, TStream& stream) : conversion_(conversion), stream_(stream) {}

  // Hands over no more than LIMIT characters in all; a CR LF counts as one character when
  // CRLF_IS_ONE_CHARACTER (the control keeps a break as one CR), else as two. What the limit
  // keeps back is not read further: Cut() tells that there was some.
  void SetCharacterLimit(std::int64_t limit, bool crlf_is_one_character) {
    room_ = limit;
    crlf_is_one_ = crlf_is_one_character;
  }
  // True once the limit kept back text that the stream holds.
  bool Cut() const { return cut_; }

  // Fills OUT (CAPACITY bytes) with the next chunk and returns its length; 0 at the end.
  // The stream is read in steps of at most CAPACITY / 2 bytes, each converted on its own (a zero
  // byte ends what its step shows); the converted steps are packed into the chunk until it is
  // full, and what does not fit opens the next chunk; a chunk never ends between the CR and the
  // LF of one line break. A capacity under 4 bytes ends the stream.
  int Next(char* out, int capacity);

private:
  // Reads and converts one step into converted_; false at the end of the stream.
  bool ReadStep(int count);
  // How many of the PART bytes waiting in converted_ the limit lets through; takes their
  // characters from room_.
  size_t FitToLimit(size_t part);

  TConversion& conversion_;
  TStream& stream_;
  std::vector<char> raw_;
  // Converted bytes not yet handed over: converted_[taken_..].
  std::string converted_;
  size_t taken_ = 0;
  // A CR that ended the previous step: it and a LF opening the next step are one break.
  bool pending_cr_ = false;
  bool ended_ = false;
  // Characters the limit still lets through; negative without a limit.
  std::int64_t room_ = -1;
  bool crlf_is_one_ = true;
  bool cut_ = false;
};

}  // namespace tw
