#pragma once
// An icon held as its icon file image (directory of type 1 and its device-independent images),
// readable and drawable without the platform: the frames of animated cursors and the entries
// of icon lists are these. The Windows side turns the same bytes into icon handles.

#include <cstdint>
#include <functional>
#include <vector>

#include "framework/dib.h"
#include "framework/events.h"
#include "framework/persistent.h"

namespace tw {

class TStream;

class TIconImage : public TPersistent {
public:
  TIconImage() = default;
  TIconImage(const TIconImage& other) : TPersistent(other), bytes_(other.bytes_), width_(other.width_),
                                        height_(other.height_) {}
  TIconImage& operator=(const TIconImage&) = delete;

  std::string ClassName() const override { return "TIconImage"; }

  bool Empty() const { return bytes_.empty(); }
  // The size of the directory's first image, which is the one drawn.
  int Width() const { return width_; }
  int Height() const { return height_; }
  const std::vector<std::uint8_t>& Bytes() const { return bytes_; }

  // Takes BYTES as an icon file image. Anything the icon reader cannot use (another directory
  // type, no images, an image outside the data, a compressed or implausible image header) fails
  // with EInvalidGraphic "Invalid image" and leaves this icon unchanged. Images may be device-
  // independent bitmaps or PNG files.
  void LoadFromBytes(std::vector<std::uint8_t> bytes);
  // The bytes from the stream's position to its end.
  void LoadFromStream(TStream& stream);
  void SaveToStream(TStream& stream) const;
  void Clear();

  // From another icon (its bytes are copied); anything else as the base class.
  void Assign(const TPersistent& source) override;

  // Draws the first image with its transparency mask over TARGET (24 bits per pixel, or 32 with
  // an alpha channel and colours premultiplied by it) with its top-left corner at (X, Y); parts
  // outside TARGET are clipped. Images of 32 bits with an alpha channel are blended by it
  // instead, and so are PNG images, decoded by IconPngDecoder (without one they fail with
  // EInvalidGraphic). On a 32-bit target an inverting pixel shows its colour, as it does over
  // black.
  void DrawOnto(TDib& target, int x, int y) const;

  // Raised after every change of the icon's image.
  TNotifyEvent OnChange;

private:
  void Changed();

  std::vector<std::uint8_t> bytes_;
  int width_ = 0;
  int height_ = 0;
};

// Facts about one image of an icon file, read from its directory and image header.
struct TIconEntryInfo {
  std::uint32_t Offset = 0;
  std::uint32_t Size = 0;
  int Width = 0;
  int Height = 0;  // of the colour image, half the header's height
  int BitCount = 0;
  // The image is a PNG file (what current icon and cursor themes store their large images as);
  // its size is that of the PNG header, its bit count 32.
  bool Png = false;
};

// Decodes a PNG file held in an icon into 32-bit pixels (blue, green, red and straight alpha).
// The Windows side sets it; where it is empty, drawing a PNG image fails with EInvalidGraphic.
using TIconPngDecoder = std::function<TDib(const std::uint8_t* data, std::size_t size)>;
TIconPngDecoder& IconPngDecoder();

// The images of an icon file image with directory type 1 or 2, each checked to lie inside the
// data with a plausible uncompressed header; empty when BYTES is not such a file.
std::vector<TIconEntryInfo> ReadIconDirectory(const std::vector<std::uint8_t>& bytes);

}  // namespace tw
