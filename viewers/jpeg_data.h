#pragma once
// The JPEG data path: the compressed file held by a JPEG picture, its header, decoding into
// device-independent rows and compressing from them, all through libjpeg. Portable: the picture
// class that draws (viewers/win/jpeg_image.h) builds on this.

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "framework/dib.h"
#include "framework/events.h"
#include "framework/exception.h"
#include "framework/shared_image.h"
#include "framework/stream.h"
#include "framework/types.h"

namespace tw {

// Every failure of libjpeg: "JPEG error #%d" with the library's message code.
TW_EXCEPTION_KIND(EJPEG, EInvalidGraphic);

// The coding settings of a JPEG picture.
struct TJPEGSettings {
  int Quality = 90;               // 1..100, used when compressing
  bool GrayOutput = false;        // decode to gray levels; compress as gray
  int SpeedMode = 0;              // 0 best quality, 1 best speed
  int OutputDepth = 0;            // 0: 24 bits per pixel; 1: 8 bits with a palette
  bool ShowProgressive = false;   // show the scans of a progressive file while decoding
  bool WriteProgressive = false;  // compress as a progressive file
  int ScaleShift = 0;             // decode at 1 / 2^ScaleShift of the full size (0..3)
  bool BlockSmoothing = true;     // smooth blocks of progressive files while decoding
};

// The settings every new picture starts from. OutputDepth is decided once at start-up by the
// picture class (8 bits on a palette screen); nothing else changes them.
extern TJPEGSettings JpegDefaults;

// One progress report of a coding step. While decoding, R spans the output rows decoded since
// the previous report (full width, Bottom exclusive); compressing reports an empty rectangle.
struct TJPEGProgress {
  TProgressStage Stage = psStarting;
  int PercentDone = 0;
  bool RedrawNow = false;
  TRect R;
};

// A progress handler may throw: EAbort stops the step silently (see Decode and Compress), any
// other exception passes out of the step.
using TJPEGProgressHandler = std::function<void(const TJPEGProgress&)>;

// Where decoded rows go: a TDib here, the drawing bitmap in the picture class.
class TJPEGPixelTarget {
public:
  virtual ~TJPEGPixelTarget() = default;
  // Makes the target WIDTH x HEIGHT pixels of BITS_PER_PIXEL (8 or 24) bits.
  virtual void SetSize(int width, int height, int bits_per_pixel) = 0;
  // Row Y from the top; rows are 32-bit aligned, colours in blue-green-red order.
  virtual std::uint8_t* ScanLine(int y) = 0;
  // The colour table of an 8-bit target (at most 256 entries; the rest stay black).
  virtual void SetPalette(const std::vector<TRGBQuad>& colors) = 0;
};

class TDibPixelTarget : public TJPEGPixelTarget {
public:
  void SetSize(int width, int height, int bits_per_pixel) override;
  std::uint8_t* ScanLine(int y) override { return dib_.ScanLine(y); }
  void SetPalette(const std::vector<TRGBQuad>& colors) override;
  TDib& Dib() { return dib_; }

private:
  TDib dib_;
};

struct TJPEGDecodeRequest {
  TJPEGSettings Settings;
  // Colours to decode into at 8 bits (empty: libjpeg chooses its own).
  std::vector<TRGBQuad> Palette;
  TJPEGProgressHandler OnProgress;
  // Shortest time between two reports while libjpeg runs.
  std::chrono::milliseconds ProgressInterval{500};
};

struct TJPEGDecodeResult {
  bool PaletteModified = false;  // the target's colour table was set from libjpeg's map
  bool Aborted = false;          // a silent abort stopped decoding; the rows so far stay
};

// The compressed file of a JPEG picture, shared by the pictures it is assigned to.
class TJPEGData : public TSharedImage {
public:
  // Whether there is compressed data: none until loaded or compressed, and an empty stream
  // (loaded from an empty stream, or compressed from an empty bitmap) holds none either.
  bool HasData() const { return data_ && !data_->Bytes().empty(); }
  const TMemoryStream* Data() const { return data_.get(); }
  int ImageWidth() const { return image_width_; }
  int ImageHeight() const { return image_height_; }
  bool Grayscale() const { return grayscale_; }

  // Takes the bytes from STREAM's position to its end (at least SIZE bytes when SIZE >= 0,
  // else fails with EReadError) and, when there is at least one, reads the header. Returns
  // whether the file has several scans. Fails with EJPEG on a malformed header or one whose
  // picture, with libjpeg's buffer of all coefficients for a file of several scans, does not fit
  // the decoders' bound (DecodedPictureFits); the data is then left as it was.
  bool LoadFromStream(TStream& stream, std::int64_t size = -1);
  // Writes the compressed data as it is (nothing without data).
  void SaveToStream(TStream& stream) const;

  // The output size of the decompression set up with SETTINGS (its scale).
  void ScaledSize(const TJPEGSettings& settings, int& width, int& height) const;

  // Decodes into TARGET: 8 bits per pixel when OutputDepth is 1 or GrayOutput is set, else 24.
  // Progress reports Starting, Running and Ending (100, or 0 when a failure passes). A fatal
  // libjpeg error raises EJPEG; an EAbort from the progress handler is swallowed and reported
  // in the result.
  TJPEGDecodeResult Decode(TJPEGPixelTarget& target, const TJPEGDecodeRequest& request) const;
  // Decode into a new TDib.
  TDib DecodeToDib(const TJPEGSettings& settings) const;

  // Compresses BITMAP with Quality, GrayOutput and WriteProgressive of SETTINGS into new data.
  // Without pixels (zero width or height), or when the progress handler aborts silently, the
  // result holds no data.
  static TSharedImageRef<TJPEGData> Compress(const TDib& bitmap, const TJPEGSettings& settings,
                                             const TJPEGProgressHandler& on_progress = {});

private:
  std::unique_ptr<TMemoryStream> data_;
  int image_width_ = 0;
  int image_height_ = 0;
  bool grayscale_ = false;
};

}  // namespace tw
