#include "framework/picture.h"

#include <algorithm>
#include <utility>

#include "framework/exception.h"
#include "framework/picture_registry.h"
#include "framework/stream.h"
#include "framework/string_table.h"

namespace tw {
namespace {

// The extension of FILE_NAME without the dot, as written; empty without one.
std::string ExtensionOf(const std::string& file_name) {
  const auto dot = file_name.find_last_of('.');
  const auto separator = file_name.find_last_of("\\/:");
  if (dot == std::string::npos || (separator != std::string::npos && dot < separator)) return {};
  return file_name.substr(dot + 1);
}

std::unique_ptr<TGraphic> CopyOf(const TGraphic& source) {
  auto copy = source.NewOfSameClass();
  copy->Assign(source);
  return copy;
}

}  // namespace

TPicture::~TPicture() = default;

void TPicture::Hook(TGraphic& graphic) {
  graphic.OnChange = [this](TObject*) { Changed(this); };
  graphic.OnProgress = [this](TObject* sender, TProgressStage stage, std::uint8_t percent, bool redraw,
                              const TRect& r, const std::string& msg) {
    if (OnProgress) OnProgress(sender, stage, percent, redraw, r, msg);
  };
}

void TPicture::SetGraphic(std::unique_ptr<TGraphic> graphic) {
  if (graphic) Hook(*graphic);
  graphic_ = std::move(graphic);
  Changed(this);
}

void TPicture::LoadFromFile(const std::string& file_name) {
  const std::string ext = ExtensionOf(file_name);
  auto graphic = GraphicClassForExtension(ext).Create();
  // Progress reaches the picture's handler while loading; changes are only announced once
  // the new graphic has replaced the old one.
  Hook(*graphic);
  graphic->OnChange = nullptr;
  graphic->LoadFromFile(file_name);
  SetGraphic(std::move(graphic));
}

void TPicture::SaveToFile(const std::string& file_name) {
  if (graphic_) graphic_->SaveToFile(file_name);
}

bool TPicture::SupportsClipboardFormat(unsigned format) {
  return GraphicClassForClipboardFormat(format).has_value();
}

void TPicture::LoadFromClipboardFormat(unsigned format, std::uintptr_t data, std::uintptr_t palette) {
  const auto cls = GraphicClassForClipboardFormat(format);
  if (!cls) throw EInvalidGraphic(LoadStr(SInvalidGraphicOperation));
  auto graphic = cls->Create();
  graphic->LoadFromClipboardFormat(format, data, palette);
  SetGraphic(std::move(graphic));
}

void TPicture::SaveToClipboardFormat(unsigned& format, std::uintptr_t& data, std::uintptr_t& palette) {
  if (graphic_) graphic_->SaveToClipboardFormat(format, data, palette);
}

void TPicture::Assign(const TPersistent& source) {
  if (auto picture = dynamic_cast<const TPicture*>(&source)) {
    if (picture == this) return;
    SetGraphic(picture->graphic_ ? CopyOf(*picture->graphic_) : nullptr);
  } else if (auto graphic = dynamic_cast<const TGraphic*>(&source)) {
    if (graphic == graphic_.get()) return;
    SetGraphic(CopyOf(*graphic));
  } else {
    TPersistent::Assign(source);
  }
}

void TPicture::AssignTo(TPersistent& dest) const {
  if (graphic_ && dynamic_cast<TGraphic*>(&dest)) {
    dest.Assign(*graphic_);
    return;
  }
  TPersistent::AssignTo(dest);
}

void TPicture::DefineProperties(TFiler& filer) {
  filer.DefineBinaryProperty(
      "Data", [this](TStream& s) { ReadData(s); }, [this](TStream& s) { WriteData(s); },
      graphic_ && !graphic_->Empty());
}

void TPicture::ReadData(TStream& stream) {
  std::uint8_t length = 0;
  stream.ReadBuffer(&length, 1);
  std::string name(length, '\0');
  stream.ReadBuffer(name.data(), length);
  const auto cls = GraphicClassNamed(name);
  if (!cls) throw EInvalidGraphic(LoadStr(SInvalidGraphicOperation));
  auto graphic = cls->Create();
  graphic->ReadData(stream);
  SetGraphic(std::move(graphic));
}

void TPicture::WriteData(TStream& stream) {
  const std::string name = graphic_ ? graphic_->ClassName() : std::string();
  const auto length = static_cast<std::uint8_t>(std::min<std::size_t>(name.size(), 255));
  stream.WriteBuffer(&length, 1);
  stream.WriteBuffer(name.data(), length);
  if (graphic_) graphic_->WriteData(stream);
}

void TPicture::Changed(TObject*) {
  if (OnChange) OnChange(this);
}

}  // namespace tw
