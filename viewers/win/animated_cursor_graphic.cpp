#include "viewers/win/animated_cursor_graphic.h"

#include <windows.h>

#include <algorithm>

#include "framework/exception.h"
#include "framework/stream.h"
#include "framework/string_table.h"
#include "viewers/cursor_animation.h"

namespace tw {

TGraphicClass TAnimatedCursorGraphic::Class() {
  return {"TAnimatedCursorGraphic", [] { return std::unique_ptr<TGraphic>(new TAnimatedCursorGraphic); }};
}

void TAnimatedCursorGraphic::SetWidth(int) { throw EInvalidGraphicOperation(LoadStr(SInvalidGraphicOperation)); }

void TAnimatedCursorGraphic::SetHeight(int) { throw EInvalidGraphicOperation(LoadStr(SInvalidGraphicOperation)); }

void TAnimatedCursorGraphic::LoadFromStream(TStream& stream) {
  const std::int64_t size = std::max<std::int64_t>(stream.Size() - stream.Position(), 0);
  std::vector<std::uint8_t> file(static_cast<std::size_t>(size));
  stream.ReadBuffer(file.data(), size);
  auto cursor = std::make_unique<TAnimatedCursorImage>();
  TMemoryStream data(file);
  cursor->LoadFromStream(data);
  // An empty file is no cursor either.
  if (cursor->FrameCount() == 0) throw EReadError(LoadStr(SReadError));
  TCursorAnimation first_step(*cursor);
  if (!first_step.Advance()) throw EInvalidGraphic(LoadStr(SInvalidImage));
  auto first = std::make_unique<TBitmap>();
  first->AssignDib(first_step.Screen());
  file_ = std::move(file);
  cursor_ = std::move(cursor);
  first_ = std::move(first);
  Changed(this);
}

void TAnimatedCursorGraphic::SaveToStream(TStream& stream) {
  stream.WriteBuffer(file_.data(), static_cast<std::int64_t>(file_.size()));
}

void TAnimatedCursorGraphic::Assign(const TPersistent& source) {
  const auto* graphic = dynamic_cast<const TAnimatedCursorGraphic*>(&source);
  if (!graphic) return TGraphic::Assign(source);
  if (graphic == this) return;
  TMemoryStream file(graphic->file_);
  LoadFromStream(file);
}

void TAnimatedCursorGraphic::Draw(TCanvas& canvas, const TRect& rect) {
  if (!first_) return;
  const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  GdiAlphaBlend(canvas.Handle(), rect.Left, rect.Top, rect.Width(), rect.Height(), first_->Canvas().Handle(), 0, 0,
                first_->Width(), first_->Height(), blend);
}

void RegisterAnimatedCursorGraphic() {
  RegisterFileFormat("ani", "Animated Cursors", TAnimatedCursorGraphic::Class());
}

void UnregisterAnimatedCursorGraphic() { UnregisterGraphicClass("TAnimatedCursorGraphic"); }

}  // namespace tw
