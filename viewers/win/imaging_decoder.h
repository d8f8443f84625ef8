#pragma once
// Decoding through the platform's imaging component (WIC): whatever format an installed
// decoder recognises, as 32-bit pixels. COM must be initialised on the calling thread.

#include <cstddef>
#include <string>
#include <vector>

#include "framework/dib.h"

namespace tw {

// Frame 0 of the file image DATA as 32-bit pixels (blue, green, red, alpha), the colours
// multiplied by alpha when PREMULTIPLIED. A picture that does not fit the decoders' bound
// (DecodedPictureFits) is refused before its pixels are made; that and any decoder failure
// raise EInvalidGraphic with a message that says what went wrong.
TDib DecodeWithImaging(const void* data, std::size_t size, bool premultiplied);

// A file extension (lower case, without the dot) that an installed decoder declares, with the
// decoder's name.
struct TImagingExtension {
  std::string Extension;
  std::string Description;
};
// Every extension the installed decoders declare, each once.
std::vector<TImagingExtension> ImagingDecoderExtensions();

}  // namespace tw
