#pragma once
// TJPEGImage: the picture class for JPEG files. It keeps the compressed file (a TJPEGData
// shared with the pictures it is assigned to) and decodes it into a bitmap the first time the
// bitmap is needed, normally when the picture is first drawn; it compresses its bitmap when it
// is saved without compressed data.

#include <memory>

#include "framework/graphic.h"
#include "framework/picture_registry.h"
#include "framework/shared_image.h"
#include "framework/win/bitmap.h"
#include "framework/win/handles.h"
#include "viewers/jpeg_data.h"

namespace tw {

class TJPEGImage : public TGraphic {
public:
  TJPEGImage();
  ~TJPEGImage() override;
  TJPEGImage(const TJPEGImage&) = delete;
  TJPEGImage& operator=(const TJPEGImage&) = delete;

  std::string ClassName() const override { return "TJPEGImage"; }
  static TGraphicClass Class();

  int Quality() const { return settings_.Quality; }
  void SetQuality(int value) { settings_.Quality = value; }
  bool GrayOutput() const { return settings_.GrayOutput; }
  void SetGrayOutput(bool value) { ChangeDecoding(settings_.GrayOutput, value); }
  int SpeedMode() const { return settings_.SpeedMode; }
  void SetSpeedMode(int value) { ChangeDecoding(settings_.SpeedMode, value); }
  int OutputDepth() const { return settings_.OutputDepth; }
  void SetOutputDepth(int value) { ChangeDecoding(settings_.OutputDepth, value); }
  bool ShowProgressive() const { return settings_.ShowProgressive; }
  void SetShowProgressive(bool value) { settings_.ShowProgressive = value; }
  bool WriteProgressive() const { return settings_.WriteProgressive; }
  void SetWriteProgressive(bool value) { settings_.WriteProgressive = value; }
  int ScaleShift() const { return settings_.ScaleShift; }
  void SetScaleShift(int value) { ChangeDecoding(settings_.ScaleShift, value); }
  bool BlockSmoothing() const { return settings_.BlockSmoothing; }
  void SetBlockSmoothing(bool value) { ChangeDecoding(settings_.BlockSmoothing, value); }

  const TJPEGData& SharedData() const { return *data_; }
  // The decoded picture: decodes the data on first use. A decode that fails raises once and
  // leaves an empty bitmap, so that the picture draws nothing afterwards.
  TBitmap& Bitmap();
  bool Decoded() const { return bitmap_ != nullptr; }
  // The output size at the current scale.
  int ScaledWidth() const;
  int ScaledHeight() const;
  // Replaces the data by the bitmap compressed with Quality, GrayOutput and WriteProgressive.
  void Compress();

  bool Empty() const override;
  int Width() const override;
  int Height() const override;
  void SetWidth(int value) override;
  void SetHeight(int value) override;
  void Draw(TCanvas& canvas, const TRect& rect) override;
  void LoadFromStream(TStream& stream) override;
  void SaveToStream(TStream& stream) override;
  void LoadFromClipboardFormat(unsigned format, std::uintptr_t data, std::uintptr_t palette) override;
  void SaveToClipboardFormat(unsigned& format, std::uintptr_t& data, std::uintptr_t& palette) override;
  bool Equals(TGraphic& graphic) override;
  std::uintptr_t Palette() const override;
  void SetPalette(std::uintptr_t value) override;
  void Assign(const TPersistent& source) override;

protected:
  void AssignTo(TPersistent& dest) const override;
  void ReadData(TStream& stream) override;
  void WriteData(TStream& stream) override;

private:
  template <class T>
  void ChangeDecoding(T& setting, T value) {
    if (setting == value) return;
    setting = value;
    DropDecodedBitmap();
  }
  void DropDecodedBitmap();
  void Decode();
  void ReportProgress(const TJPEGProgress& progress);

  TSharedImageRef<TJPEGData> data_;
  std::unique_ptr<TBitmap> bitmap_;
  mutable ScopedPalette palette_;
  TJPEGSettings settings_;
};

// 1 (8 bits with a palette) for a screen of at most 8 bits per pixel, else 0.
int OutputDepthForScreen(int bits_per_pixel);

// Decides JpegDefaults.OutputDepth from the screen and registers "jpeg" and "jpg" as
// "JPEG Image File". Runs at start-up; calling it again changes nothing.
void RegisterJPEGImage();

}  // namespace tw
