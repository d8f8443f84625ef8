#include "framework/graphic.h"

#include "framework/exception.h"
#include "framework/picture_registry.h"
#include "framework/stream.h"
#include "framework/string_table.h"

namespace tw {

void TGraphic::LoadFromFile(const std::string& file_name) {
  TFileStream stream(file_name, fmOpenRead | fmShareDenyNone);
  LoadFromStream(stream);
}

void TGraphic::SaveToFile(const std::string& file_name) {
  TFileStream stream(file_name, fmCreate);
  SaveToStream(stream);
}

void TGraphic::LoadFromClipboardFormat(unsigned, std::uintptr_t, std::uintptr_t) {
  throw EInvalidGraphicOperation(LoadStr(SInvalidGraphicOperation));
}

void TGraphic::SaveToClipboardFormat(unsigned&, std::uintptr_t&, std::uintptr_t&) {
  throw EInvalidGraphicOperation(LoadStr(SInvalidGraphicOperation));
}

bool TGraphic::Equals(TGraphic& graphic) {
  if (&graphic == this) return true;
  if (graphic.ClassName() != ClassName() || graphic.Empty() != Empty()) return false;
  if (Empty()) return true;
  TMemoryStream mine, theirs;
  WriteData(mine);
  graphic.WriteData(theirs);
  return mine.Bytes() == theirs.Bytes();
}

std::unique_ptr<TGraphic> TGraphic::NewOfSameClass() const {
  const auto cls = GraphicClassNamed(ClassName());
  if (!cls) throw EInvalidGraphic(LoadStr(SInvalidGraphicOperation));
  return cls->Create();
}

void TGraphic::SetTransparent(bool value) {
  if (value == transparent_) return;
  transparent_ = value;
  Changed(this);
}

void TGraphic::SetModified(bool value) {
  if (value)
    Changed(this);
  else
    modified_ = false;
}

void TGraphic::DefineProperties(TFiler& filer) {
  filer.DefineBinaryProperty(
      "Data", [this](TStream& s) { ReadData(s); }, [this](TStream& s) { WriteData(s); }, !Empty());
}

void TGraphic::Changed(TObject*) {
  modified_ = true;
  if (OnChange) OnChange(this);
}

void TGraphic::Progress(TObject* sender, TProgressStage stage, std::uint8_t percent_done, bool redraw_now,
                        const TRect& r, const std::string& msg) {
  if (OnProgress) OnProgress(sender, stage, percent_done, redraw_now, r, msg);
}

void TGraphic::ReadData(TStream& stream) { LoadFromStream(stream); }

void TGraphic::WriteData(TStream& stream) { SaveToStream(stream); }

}  // namespace tw
