#pragma once
// The Windows side of the GIF picture and of animated cursors: drawing frames, the "GIF Image"
// clipboard format, frames from and to bitmaps and icons, and the pictures' registration.

namespace tw {

// Registers at start-up (once; later calls do nothing): the clipboard formats "GIF Image" and
// "Vireo Icon" with the system, "gif" and the GIF clipboard format with the picture registry,
// "ani" for animated cursors shown as pictures (TAnimatedCursorGraphic), the icon clipboard
// format for icons, and the platform hooks of GIF pictures and cursors (PNG images in icons are
// decoded by the imaging component).
void InitGifImageModule();
// Unregisters the GIF and animated cursor pictures from the picture registry.
void DoneGifImageModule();
// The "GIF Image" clipboard format (0 before InitGifImageModule).
unsigned GifClipboardFormat();

}  // namespace tw
