#pragma once
// The GIF picture: reads files of versions "87a" and "89a" with any number of frames, keeps each
// frame's compressed image data and decodes a frame only when its pixels are first needed;
// writes files from its frames, compressing frames held only as pixels (reducing true colour
// first). Frames are device-independent pictures (TDib); drawing, palettes and the clipboard
// belong to the platform and reach the picture through TGifPlatform.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/colors.h"
#include "framework/dib.h"
#include "framework/graphic.h"
#include "framework/picture_registry.h"
#include "framework/shared_image.h"
#include "framework/stream.h"
#include "framework/types.h"

namespace tw {

class TAnimatedCursorImage;
class TGIFImage;
class TGIFFrame;

// In tolerant mode damaged image data marks the frame Damaged instead of failing.
inline bool GifTolerateDamage = true;

// A colour table: Count entries in use (0 = no table, at most 256) of red, green, blue.
struct GifColorTable {
  std::int32_t Count = 0;
  std::array<std::array<std::uint8_t, 3>, 256> Entries{};
  TColor Color(int index) const {
    const auto& e = Entries[static_cast<std::size_t>(index)];
    return RGBToColor(e[0], e[1], e[2]);
  }
  // The first entry whose colour is COLOR, or -1.
  int IndexOf(TColor color) const;
};

enum TExtensionKind : std::uint8_t { ekGraphicControl, ekPlainText, ekApplication, ekComment };

class TExtension : public TPersistent {
public:
  std::string ClassName() const override { return "TExtension"; }
  // Copies kind and header, and the sub-blocks when the source has them.
  void Assign(const TPersistent& source) override;

  // The label of KIND in the file (0xF9, 0x01, 0xFF, 0xFE).
  static std::uint8_t Label(TExtensionKind kind);

  TExtensionKind Kind = ekGraphicControl;
  // Absent for graphic control extensions: one string per data sub-block, in file order.
  std::unique_ptr<std::vector<std::string>> SubBlocks;
  // The fixed bytes after the label, starting with the block size byte.
  std::vector<std::uint8_t> Header;
};

// Per-frame data, shared between frames by reference count.
class TGIFItem : public TSharedImage {
public:
  std::unique_ptr<TMemoryStream> CodeStream;
  std::int32_t ImageWidth = 0;
  std::int32_t ImageHeight = 0;
  std::uint8_t DescriptorFlags = 0;
  std::uint8_t BitsPerPixel = 0;
  GifColorTable ColorTable;

  bool HasCode() const { return CodeStream && CodeStream->Size() > 0; }
};

// Per-image data, shared between images by reference count.
class TGIFData : public TSharedImage {
public:
  std::vector<std::string> CommentLines;
  std::uint8_t AspectByte = 0;
  std::uint8_t GlobalBits = 1;
  std::uint8_t ColorResolution = 1;
  GifColorTable GlobalTable;
};

// Colour values read from and written to GIF tables are plain RGB: system colours are resolved
// first. Without the platform, the window colour resolves to white and other system colours to
// black.
TColor GifColorToRGB(TColor color);

// What the platform keeps to draw a frame again without converting its pixels at every paint.
// It is made from the frame's Bitmap and dropped whenever the frame replaces its Bitmap.
class TGifDrawCache {
public:
  virtual ~TGifDrawCache() = default;
};

class TGIFFrame : public TPersistent {
public:
  explicit TGIFFrame(TGIFImage* owner = nullptr);
  ~TGIFFrame() override;
  TGIFFrame(const TGIFFrame&) = delete;
  TGIFFrame& operator=(const TGIFFrame&) = delete;

  std::string ClassName() const override { return "TGIFFrame"; }

  // A new empty item; flags, key colour, origin, delay and disposal back to their defaults.
  // Bitmap and Extensions stay.
  void ResetFrame();
  // The frame's pixels, decoded from the code stream on first use; empty when there is nothing.
  // A frame whose pixels would not fit the decoders' bound (DecodedPictureFits) fails with
  // EInvalidGraphicOperation 61094 before anything is allocated for it.
  TDib& FrameBitmap();
  // 0 without pixels and code; else the size of FrameBitmap.
  int Width();
  int Height();
  // The size the frame will have, without decoding it: the pixels' size when the frame has
  // pixels, else the item's size when it has code, else zero.
  TPoint StoredSize() const;
  // The lines of the last comment extension; with CREATE one is made when missing, else nullptr.
  std::vector<std::string>* FrameComment(bool create);
  TExtension* GraphicControl() const;

  // The frame as a bitmap file image (1, 4 or 8 bits per pixel) at position 0.
  std::unique_ptr<TMemoryStream> DecodeToDib();
  // Compresses the frame's pixels into its item (reducing them to 8 bits first when needed).
  void EncodeFrame();
  // Draws the frame's pixels stretched into RECT, KeyColor transparent when TRANSPARENT.
  void DrawFrame(TCanvas& canvas, const TRect& rect, bool transparent);

  // Assigning nothing: the frame is reset and its pixels freed.
  void AssignNothing();
  // Takes PIXELS as the frame's picture; KEY (clNone for none) becomes its key colour.
  void AssignPixels(const TDib& pixels, TColor key = clNone);
  // From another frame, a GIF picture (its current frame), or a graphic the platform can draw.
  void Assign(const TPersistent& source) override;

  TGIFImage* Owner = nullptr;
  std::unique_ptr<TDib> Bitmap;
  std::unique_ptr<TGifDrawCache> DrawCache;
  TSharedImageRef<TGIFItem> Item;
  // Only graphic control and comment extensions are kept; empty means absent.
  std::vector<std::unique_ptr<TExtension>> Extensions;
  TPoint Origin;
  bool Interlaced = false;
  bool Damaged = false;
  bool GrayReduced = false;
  TColor KeyColor = clNone;
  std::uint16_t DelayMs = 0;
  std::uint8_t DisposalCode = 0;
  bool HasLocalTable = false;

protected:
  void AssignTo(TPersistent& dest) const override;

private:
  friend class TGIFImage;
  void Read(const std::uint8_t*& at, const std::uint8_t* end, std::vector<std::unique_ptr<TExtension>> extensions);
  void EncodeFromDib(TMemoryStream& dib);
  void UpdateExtensions();
  void Progress(int stage, int percent, const std::string& message);
  TDib DecodePixels();
};

// What the platform adds to GIF pictures: drawing, palettes, the clipboard, turning other
// graphics into frames and frames into other graphics. Each hook is optional.
struct TGifPlatform {
  std::function<void(TGIFFrame& frame, TCanvas& canvas, const TRect& rect, bool transparent)> DrawFrame;
  std::function<std::uintptr_t(TGIFImage& image)> Palette;
  // A graphic the portable code does not know, as pixels and key colour; false when the
  // graphic cannot be turned into pixels.
  std::function<bool(const TGraphic& graphic, TDib& pixels, TColor& key)> GraphicToPixels;
  // Gives a frame's picture to a platform graphic (a bitmap); false for other targets.
  std::function<bool(const TGIFFrame& frame, TPersistent& dest)> FrameToGraphic;
  std::function<void(TGIFImage& image, unsigned format, std::uintptr_t data, std::uintptr_t palette)>
      LoadFromClipboardFormat;
  std::function<void(TGIFImage& image, unsigned& format, std::uintptr_t& data, std::uintptr_t& palette)>
      SaveToClipboardFormat;
  std::function<TColor(TColor)> ColorToRGB;
};
TGifPlatform& GifPlatform();

class TGIFImage : public TGraphic {
public:
  TGIFImage();
  ~TGIFImage() override;
  TGIFImage(const TGIFImage&) = delete;
  TGIFImage& operator=(const TGIFImage&) = delete;

  std::string ClassName() const override { return "TGIFImage"; }

  int FrameCount() const { return static_cast<int>(frames_.size()); }
  TGIFFrame& FrameAt(int index) const;
  // Appends a frame owned by this image, makes it current and assigns GRAPHIC to it.
  virtual int AppendFrame(const TGraphic& graphic);
  int AppendFrame(const TDib& pixels, TColor key = clNone);
  // Removes and frees frame INDEX.
  void DeleteFrame(int index);
  // The current frame's pixels (frame 0 when CurrentFrame is out of range); without frames an
  // empty frame is appended first.
  TDib& CurrentBitmap();
  void RecalcLogicalSize();

  TGIFData& SharedData() const { return *shared_; }
  std::uint8_t FormatVersion() const { return format_version_; }
  int CurrentFrame() const { return current_frame_; }
  void SetCurrentFrame(int index) { current_frame_ = index; }
  std::uint16_t LogicalWidth() const { return logical_width_; }
  std::uint16_t LogicalHeight() const { return logical_height_; }
  TColor BackColor() const { return back_color_; }
  void SetBackColor(TColor color) { back_color_ = color; }
  bool LoopEnabled() const { return loop_enabled_; }
  std::uint16_t LoopCount() const { return loop_count_; }
  void SetLoop(bool enabled, std::uint16_t count) {
    loop_enabled_ = enabled;
    loop_count_ = count;
  }

  void ClearImage();
  // Reads N bytes of STREAM as a GIF file (nothing when N <= 0); with DECODE_FIRST frame 0 is
  // decoded at once and removed when that fails.
  void ReadGif(std::int64_t n, TStream& stream, bool decode_first);
  // Writes the image as a GIF file, preceded by its 32-bit length when WITH_LENGTH.
  void WriteGif(TStream& stream, bool with_length);

  // TGraphic
  bool Empty() const override;
  int Width() const override;
  int Height() const override;
  void SetWidth(int value) override;
  void SetHeight(int value) override;
  void Draw(TCanvas& canvas, const TRect& rect) override;
  bool Transparent() const override;
  std::uintptr_t Palette() const override;
  bool Equals(TGraphic& graphic) override;
  void LoadFromStream(TStream& stream) override;
  void SaveToStream(TStream& stream) override;
  void LoadFromClipboardFormat(unsigned format, std::uintptr_t data, std::uintptr_t palette) override;
  void SaveToClipboardFormat(unsigned& format, std::uintptr_t& data, std::uintptr_t& palette) override;

  // Assigning nothing: the image is cleared.
  void AssignNothing();
  void Assign(const TPersistent& source) override;
  // Each cursor frame becomes a frame whose delay is the cursor's rate in milliseconds.
  void AssignCursor(const TAnimatedCursorImage& cursor);

protected:
  void AssignTo(TPersistent& dest) const override;
  void ReadData(TStream& stream) override;
  void WriteData(TStream& stream) override;

private:
  friend class TGIFFrame;
  void ReadFile(const std::uint8_t* data, std::size_t size);
  void EncodeAllFrames();
  TGIFFrame& AddFrame();
  void RaiseChange() { Changed(this); }

  TSharedImageRef<TGIFData> shared_;
  std::uint8_t format_version_ = 0;
  std::vector<std::unique_ptr<TGIFFrame>> frames_;
  int current_frame_ = -1;
  std::uint16_t logical_width_ = 0;
  std::uint16_t logical_height_ = 0;
  TColor back_color_ = clNone;
  bool loop_enabled_ = false;
  std::uint16_t loop_count_ = 1;
};

// The class entry of TGIFImage for the picture registry.
TGraphicClass GifImageClass();
// Registers "gif" ("CompuServe GIF Image") with the picture registry, and CLIPBOARD_FORMAT
// (the "GIF Image" format registered with the system; 0 for none) for the class.
void RegisterGifImage(unsigned clipboard_format);
void UnregisterGifImage();

}  // namespace tw
