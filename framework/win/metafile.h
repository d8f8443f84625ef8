#pragma once
// TMetafile: a metafile picture, held as an enhanced metafile whatever it was read from. Reads
// enhanced metafiles (.emf), placeable Windows metafiles and plain Windows metafiles (.wmf);
// writes an enhanced metafile when Enhanced is set, else a placeable Windows metafile. The size
// is kept in hundredths of a millimetre (MMWidth, MMHeight) and shown in screen pixels.

#include <windows.h>

#include <memory>

#include "framework/graphic.h"
#include "framework/picture_registry.h"
#include "framework/win/handles.h"

namespace tw {

class TMetafile : public TGraphic {
public:
  TMetafile() = default;
  ~TMetafile() override;
  TMetafile(const TMetafile&) = delete;
  TMetafile& operator=(const TMetafile&) = delete;

  std::string ClassName() const override { return "TMetafile"; }
  static TGraphicClass Class();
  // Copies need no registration of the format.
  std::unique_ptr<TGraphic> NewOfSameClass() const override { return std::make_unique<TMetafile>(); }

  bool Empty() const override { return !handle_; }
  int Width() const override;
  int Height() const override;
  void SetWidth(int value) override;
  void SetHeight(int value) override;
  int MMWidth() const { return mm_width_; }
  int MMHeight() const { return mm_height_; }
  void SetMMWidth(int value);
  void SetMMHeight(int value);
  bool Enhanced() const { return enhanced_; }
  void SetEnhanced(bool value) { enhanced_ = value; }
  // Metafiles leave what they do not paint untouched.
  bool Transparent() const override { return true; }
  void Draw(TCanvas& canvas, const TRect& rect) override;

  // Fails with EInvalidGraphic "Metafile is not valid" for anything else.
  void LoadFromStream(TStream& stream) override;
  void SaveToStream(TStream& stream) override;
  void LoadFromClipboardFormat(unsigned format, std::uintptr_t data,
                               std::uintptr_t palette) override;
  void SaveToClipboardFormat(unsigned& format, std::uintptr_t& data,
                             std::uintptr_t& palette) override;
  void Assign(const TPersistent& source) override;

  HENHMETAFILE Handle() const { return handle_; }
  // Takes VALUE over; the size comes from its header.
  void SetHandle(HENHMETAFILE value);

private:
  void Adopt(HENHMETAFILE value, bool enhanced);
  void Clear();

  HENHMETAFILE handle_ = nullptr;
  int mm_width_ = 0;
  int mm_height_ = 0;
  bool enhanced_ = true;
};

}  // namespace tw
