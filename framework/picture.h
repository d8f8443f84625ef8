#pragma once
// The picture object: holds one graphic of any registered format and picks the format of a
// file by its extension. The Windows side adds typed access to bitmaps, icons and metafiles.

#include <cstdint>
#include <memory>
#include <string>

#include "framework/events.h"
#include "framework/graphic.h"
#include "framework/persistent.h"

namespace tw {

class TPicture : public TPersistent {
public:
  TPicture() = default;
  TPicture(const TPicture&) = delete;
  TPicture& operator=(const TPicture&) = delete;
  ~TPicture() override;

  std::string ClassName() const override { return "TPicture"; }

  TGraphic* Graphic() const { return graphic_.get(); }
  // Takes GRAPHIC over (nullptr empties the picture) and raises the change notification.
  void SetGraphic(std::unique_ptr<TGraphic> graphic);

  int Width() const { return graphic_ ? graphic_->Width() : 0; }
  int Height() const { return graphic_ ? graphic_->Height() : 0; }

  // Loads FILE_NAME with the format registered for its extension. On any failure the picture
  // keeps the graphic it had.
  void LoadFromFile(const std::string& file_name);
  void SaveToFile(const std::string& file_name);
  // Loads clipboard data with the format registered for FORMAT; EInvalidGraphic when none is.
  void LoadFromClipboardFormat(unsigned format, std::uintptr_t data, std::uintptr_t palette);
  void SaveToClipboardFormat(unsigned& format, std::uintptr_t& data, std::uintptr_t& palette);
  static bool SupportsClipboardFormat(unsigned format);

  // From another picture or a graphic: this picture gets its own graphic of the same class,
  // assigned from the source's.
  void Assign(const TPersistent& source) override;

  // Stores the graphic as the binary property "Data": its class name (a length byte and the
  // name) followed by the graphic's own data.
  void DefineProperties(TFiler& filer) override;

  TNotifyEvent OnChange;
  TProgressEvent OnProgress;

protected:
  virtual void Changed(TObject* sender);
  void AssignTo(TPersistent& dest) const override;

private:
  void ReadData(TStream& stream);
  void WriteData(TStream& stream);
  void Hook(TGraphic& graphic);

  std::unique_ptr<TGraphic> graphic_;
};

}  // namespace tw
