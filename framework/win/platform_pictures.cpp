#include "framework/win/platform_pictures.h"

#include "framework/picture_registry.h"

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
    RegisterGraphicClipboardFormat(CF_BITMAP, TBitmap::Class());
    RegisterGraphicClipboardFormat(CF_ENHMETAFILE, TMetafile::Class());
    return true;
  }();
  (void)registered;
}

TBitmap& PictureBitmap(TPicture& picture) { return PictureGraphic<TBitmap>(picture); }
TIcon& PictureIcon(TPicture& picture) { return PictureGraphic<TIcon>(picture); }
TMetafile& PictureMetafile(TPicture& picture) { return PictureGraphic<TMetafile>(picture); }

}  // namespace tw
