#pragma once
// The toolbar glyphs of the main window, drawn by this code at start-up: 22 x 20 pictures at 96
// pixels per inch, drawn afresh at the size of every other density (44 x 40 at 192), in a
// normal form (softer colours) and a hot form (full colours, shown under the mouse).
//
// Each glyph is drawn with GDI at four times its size and scaled down, pixels partly covered
// blended with the button face colour, so that slanted lines and curves keep smooth edges while
// the image lists keep their one-colour transparency mask.

#include <windows.h>

#include <cstdint>
#include <vector>

namespace tw {

class TCustomImageList;

enum class TGlyph {
  Cut, Copy, Paste, Delete, Print, NewFolder, NetConnect, NetDisconnect, Properties,
  CreateShortcut, Connect, Explore, About,
  GoUp, BigIcons, SmallIcons, List, Report, SortByName, SortBySize, SortByTime, SortByType,
  Clear, Open, Save, Find, Replace, Undo, Redo,
  Count
};

// The glyph size at 96 pixels per inch.
inline constexpr int kGlyphWidth = 22;
inline constexpr int kGlyphHeight = 20;
inline constexpr int kGlyphCount = static_cast<int>(TGlyph::Count);
// The colour that stands for "transparent" in a rendered glyph.
inline constexpr COLORREF kGlyphTransparent = RGB(255, 0, 255);

// The glyph size at PIXELS_PER_INCH.
SIZE GlyphSize(int pixels_per_inch);

// A rendered glyph: GlyphSize(PIXELS_PER_INCH) pixels, top row first, as 0x00RRGGBB values;
// transparent pixels hold kGlyphTransparent's value.
using TGlyphPixels = std::vector<std::uint32_t>;
TGlyphPixels RenderGlyph(TGlyph glyph, bool hot, COLORREF face, int pixels_per_inch = 96);

// Sets both lists to the glyph size at PIXELS_PER_INCH and fills them with every glyph in
// TGlyph order: NORMAL with the normal forms, HOT with the hot ones.
void FillGlyphLists(TCustomImageList& normal, TCustomImageList& hot, int pixels_per_inch = 96);

}  // namespace tw
