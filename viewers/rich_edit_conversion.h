#pragma once
// The byte path between a stream and the rich edit control. TConversion moves a stream's bytes
// unchanged; TReadChunker turns what a conversion reads into the chunks the control is fed:
// every line break (LF, CR or CR LF) becomes CR LF, and a chunk ends at a zero byte.

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
  // At most CAPACITY / 2 bytes are read per step, so the doubled line breaks always fit; a
  // capacity under 4 bytes ends the stream.
  int Next(char* out, int capacity);

private:
  TConversion& conversion_;
  TStream& stream_;
  std::vector<char> raw_;
  // A CR that ended the previous read: it and a LF opening the next read are one break.
  bool pending_cr_ = false;
};

}  // namespace tw
