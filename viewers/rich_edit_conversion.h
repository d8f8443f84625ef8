#pragma once
// The byte path between a stream and the rich edit control. TConversion moves a stream's bytes
// unchanged; TReadChunker turns what a conversion reads into the chunks the control is fed:
// every line break (LF, CR or CR LF) becomes CR LF, and what one read shows ends at a zero byte.

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

// Produces the control's read chunks from one stream, start to end.
class TReadChunker {
public:
  TReadChunker(TConversion& conversion, TStream& stream) : conversion_(conversion), stream_(stream) {}

  // Fills OUT (CAPACITY bytes) with the next chunk and returns its length; 0 at the end.
  // The stream is read in steps of at most CAPACITY / 2 bytes, each converted on its own (a zero
  // byte ends what its step shows); the converted steps are packed into the chunk until it is
  // full, and what does not fit opens the next chunk; a chunk never ends between the CR and the
  // LF of one line break. A capacity under 4 bytes ends the stream.
  int Next(char* out, int capacity);

private:
  // Reads and converts one step into converted_; false at the end of the stream.
  bool ReadStep(int count);

  TConversion& conversion_;
  TStream& stream_;
  std::vector<char> raw_;
  // Converted bytes not yet handed over: converted_[taken_..].
  std::string converted_;
  size_t taken_ = 0;
  // A CR that ended the previous step: it and a LF opening the next step are one break.
  bool pending_cr_ = false;
  bool ended_ = false;
};

}  // namespace tw
