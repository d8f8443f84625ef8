// The registry's RegisterClipboardFormat shares its name with the system's macro for
// RegisterClipboardFormatA: the registry is declared before <windows.h> defines the macro, which
// is then dropped here.
// clang-format off
#include "framework/picture_registry.h"
#include "framework/win/platform_pictures.h"
// clang-format on
#undef RegisterClipboardFormat

namespace tw {
namespace {

template <class T>
T& PictureGraphic(TPicture& picture) {
  if (auto* graphic = dynamic_cast<T*>(picture.Graphic())) return *graphic;
  auto made = std::make_unique<T>();
  T& result = *made;
  picture.SetGraphic(std::move(made));
  return result;
}

}  // namespace

void RegisterPlatformPictureFormats() {
  static const bool registered = [] {
    RegisterFileFormat("bmp", "Bitmaps", TBitmap::Class());
    RegisterFileFormat("ico", "Icons", TIcon::Class());
    RegisterFileFormat("wmf", "Metafiles", TMetafile::Class());
    RegisterFileFormat("emf", "Enhanced Metafiles", TMetafile::Class());
    RegisterClipboardFormat(CF_BITMAP, TBitmap::Class());
    RegisterClipboardFormat(CF_ENHMETAFILE, TMetafile::Class());
    return true;
  }();
  (void)registered;
}

TBitmap& PictureBitmap(TPicture& picture) { return PictureGraphic<TBitmap>(picture); }
TIcon& PictureIcon(TPicture& picture) { return PictureGraphic<TIcon>(picture); }
TMetafile& PictureMetafile(TPicture& picture) { return PictureGraphic<TMetafile>(picture); }

}  // namespace tw
