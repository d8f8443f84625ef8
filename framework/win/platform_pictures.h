#pragma once
// The platform's picture formats in the picture registry: bitmaps ("bmp"), icons ("ico"),
// Windows metafiles ("wmf") and enhanced metafiles ("emf"), with the clipboard's bitmap and
// enhanced metafile formats. And typed access to a picture's graphic: asking a picture for its
// bitmap (icon, metafile) makes it hold an empty one first when it holds something else.

#include "framework/picture.h"
#include "framework/win/bitmap.h"
#include "framework/win/icon.h"
#include "framework/win/metafile.h"

namespace tw {

// Registers the formats; calling it again changes nothing.
void RegisterPlatformPictureFormats();

TBitmap& PictureBitmap(TPicture& picture);
TIcon& PictureIcon(TPicture& picture);
TMetafile& PictureMetafile(TPicture& picture);

}  // namespace tw
