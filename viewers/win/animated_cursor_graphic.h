#pragma once
// TAnimatedCursorGraphic: an animated cursor file as a picture, so that the graphics page shows
// it. The cursor's frames, rates and sequence are read as any animated cursor's are; the
// picture is the first step's frame, its transparency blended over what is below, and its size
// that frame's size. The picture player plays the steps. The file's bytes are kept as read and
// are what it saves.

#include <cstdint>
#include <vector>

#include "framework/graphic.h"
#include "framework/picture_registry.h"
#include "framework/win/bitmap.h"
#include "viewers/animated_cursor.h"

namespace tw {

class TAnimatedCursorGraphic : public TGraphic {
public:
  TAnimatedCursorGraphic() = default;
  TAnimatedCursorGraphic(const TAnimatedCursorGraphic&) = delete;
  TAnimatedCursorGraphic& operator=(const TAnimatedCursorGraphic&) = delete;

  std::string ClassName() const override { return "TAnimatedCursorGraphic"; }
  static TGraphicClass Class();
  std::unique_ptr<TGraphic> NewOfSameClass() const override { return std::make_unique<TAnimatedCursorGraphic>(); }

  bool Empty() const override { return !first_; }
  int Width() const override { return first_ ? first_->Width() : 0; }
  int Height() const override { return first_ ? first_->Height() : 0; }
  // The size is the file's: EInvalidGraphicOperation.
  void SetWidth(int value) override;
  void SetHeight(int value) override;
  bool Transparent() const override { return true; }
  void Draw(TCanvas& canvas, const TRect& rect) override;

  // Reads the bytes from the stream's position to its end as an animated cursor and draws its
  // first step. A malformed file fails with EReadError "Stream read error", a first frame that
  // cannot be drawn with EInvalidGraphic "Invalid image"; either leaves the picture as it was.
  void LoadFromStream(TStream& stream) override;
  void SaveToStream(TStream& stream) override;
  void Assign(const TPersistent& source) override;

  const TAnimatedCursorImage& Cursor() const { return *cursor_; }

private:
  std::vector<std::uint8_t> file_;
  std::unique_ptr<TAnimatedCursorImage> cursor_ = std::make_unique<TAnimatedCursorImage>();
  // The first step's drawing.
  std::unique_ptr<TBitmap> first_;
};

// Registers the picture for "ani" files; UnregisterAnimatedCursorGraphic removes it.
void RegisterAnimatedCursorGraphic();
void UnregisterAnimatedCursorGraphic();

}  // namespace tw
