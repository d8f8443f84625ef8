#pragma once
// TIcon: an icon picture (.ico files). Loading picks the image of the file that best fits the
// system's icon size, preferring more colours; the file's bytes are kept, so saving writes the
// file as it was read. An icon made from a handle is saved as a one-image file.

#include <windows.h>

#include <memory>

#include <cstdint>
#include <vector>

#include "framework/graphic.h"
#include "framework/picture_registry.h"
#include "framework/win/handles.h"

namespace tw {

class TIcon : public TGraphic {
public:
  TIcon() = default;
  ~TIcon() override;
  TIcon(const TIcon&) = delete;
  TIcon& operator=(const TIcon&) = delete;

  std::string ClassName() const override { return "TIcon"; }
  static TGraphicClass Class();
  // Copies need no registration of the format.
  std::unique_ptr<TGraphic> NewOfSameClass() const override { return std::make_unique<TIcon>(); }

  bool Empty() const override { return !handle_; }
  int Width() const override { return width_; }
  int Height() const override { return height_; }
  // An icon cannot be resized: EInvalidGraphicOperation "Cannot change the size of an icon".
  void SetWidth(int value) override;
  void SetHeight(int value) override;
  // Icons always draw with their mask.
  bool Transparent() const override { return true; }
  void Draw(TCanvas& canvas, const TRect& rect) override;

  // Fails with EInvalidGraphic "Invalid icon" for anything but a readable icon file.
  void LoadFromStream(TStream& stream) override;
  void SaveToStream(TStream& stream) override;
  void Assign(const TPersistent& source) override;

  HICON Handle() const { return handle_.Get(); }
  // Takes VALUE over.
  void SetHandle(HICON value);
  [[nodiscard]] HICON ReleaseHandle();

private:
  std::vector<std::uint8_t> IconFileOfHandle() const;

  ScopedIcon handle_;
  int width_ = 0;
  int height_ = 0;
  // The icon file the picture was read from; empty for an icon made from a handle.
  std::vector<std::uint8_t> file_;
};

}  // namespace tw
