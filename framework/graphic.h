#pragma once
// The abstract picture: what the picture object, the image control and the picture formats
// (bitmap, icon, metafile, GIF, JPEG) have in common. A format derives from TGraphic and
// registers its file extensions and clipboard format (picture_registry.h).

#include <cstdint>
#include <memory>
#include <string>

#include "framework/events.h"
#include "framework/persistent.h"
#include "framework/types.h"

namespace tw {

class TCanvas;
class TStream;
class TPicture;

class TGraphic : public TPersistent {
public:
  std::string ClassName() const override { return "TGraphic"; }

  virtual bool Empty() const = 0;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  // Formats that cannot be resized fail here with EInvalidGraphicOperation.
  virtual void SetWidth(int value) = 0;
  virtual void SetHeight(int value) = 0;
  virtual void Draw(TCanvas& canvas, const TRect& rect) = 0;

  virtual void LoadFromStream(TStream& stream) = 0;
  virtual void SaveToStream(TStream& stream) = 0;
  virtual void LoadFromFile(const std::string& file_name);
  virtual void SaveToFile(const std::string& file_name);
  // The clipboard handles are HANDLE / HPALETTE values on Windows. A format without a
  // clipboard form fails with EInvalidGraphicOperation.
  virtual void LoadFromClipboardFormat(unsigned format, std::uintptr_t data, std::uintptr_t palette);
  virtual void SaveToClipboardFormat(unsigned& format, std::uintptr_t& data, std::uintptr_t& palette);

  // Same class and the same saved bytes.
  virtual bool Equals(TGraphic& graphic);
  // A new, empty graphic of this one's class, found by class name among the registered
  // formats (picture_registry.h); EInvalidGraphic when the class is not registered.
  virtual std::unique_ptr<TGraphic> NewOfSameClass() const;

  // The palette handle (HPALETTE on Windows), 0 for none.
  virtual std::uintptr_t Palette() const { return 0; }
  virtual void SetPalette(std::uintptr_t) {}
  bool PaletteModified() const { return palette_modified_; }
  void SetPaletteModified(bool value) { palette_modified_ = value; }

  virtual bool Transparent() const { return transparent_; }
  virtual void SetTransparent(bool value);

  // Set by every change; setting it true raises the change notification.
  bool Modified() const { return modified_; }
  void SetModified(bool value);

  // Stores the picture as the binary property "Data" when it is not empty.
  void DefineProperties(TFiler& filer) override;

  TNotifyEvent OnChange;
  TProgressEvent OnProgress;

protected:
  virtual void Changed(TObject* sender);
  void Progress(TObject* sender, TProgressStage stage, std::uint8_t percent_done, bool redraw_now,
                const TRect& r, const std::string& msg);
  // The picture's data in the component stream; by default the stream format itself.
  virtual void ReadData(TStream& stream);
  virtual void WriteData(TStream& stream);

private:
  friend class TPicture;
  bool modified_ = false;
  bool transparent_ = false;
  bool palette_modified_ = false;
};

}  // namespace tw
