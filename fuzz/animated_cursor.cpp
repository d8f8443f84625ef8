// Animated cursor files from untrusted bytes: parsing must fail cleanly or give frames that all
// hold an icon and steps that name them, every frame must draw into the frame strip without
// leaving it, and playing the steps must draw each one.
#include <algorithm>
#include <cstdlib>

#include "framework/exception.h"
#include "framework/stream.h"
#include "fuzz/fuzz_target.h"
#include "tests/viewers/ani_test_support.h"
#include "viewers/animated_cursor.h"
#include "viewers/cursor_animation.h"
#include "viewers/icon_list.h"

namespace {

// A cursor has steps exactly when it has frames (an empty file gives neither), each naming a
// frame; playing them draws every step up to the first PNG frame, which this build cannot draw.
void PlaySteps(const tw::TAnimatedCursorImage& cursor) {
  if (cursor.Steps().empty() != (cursor.FrameCount() == 0)) std::abort();
  if (cursor.Steps().empty()) return;
  for (const auto& step : cursor.Steps())
    if (step.Frame < 0 || step.Frame >= cursor.FrameCount()) std::abort();
  tw::TCursorAnimation animation(cursor);
  const std::size_t played = std::min<std::size_t>(cursor.Steps().size(), 64);
  for (std::size_t i = 0; i < played; ++i) {
    const bool png_frame = tw::ReadIconDirectory(cursor.FrameIcon(cursor.Steps()[i].Frame)->Bytes())[0].Png;
    if (animation.Advance() == png_frame) std::abort();
    if (png_frame) return;
  }
}

}  // namespace

TW_FUZZ_TARGET(AnimatedCursor) {
  tw::TMemoryStream stream(tw::fuzz::Bytes(data, data + size));
  tw::TAnimatedCursorImage cursor;
  try {
    cursor.LoadFromStream(stream);
  } catch (const tw::Exception&) {
    if (cursor.FrameCount() != 0) std::abort();
    return;
  }
  if (cursor.Header().StepCount != static_cast<std::uint32_t>(cursor.FrameCount())) std::abort();
  for (int i = 0; i < cursor.FrameCount(); ++i)
    if (!cursor.FrameIcon(i) || cursor.FrameIcon(i)->Empty()) std::abort();
  // Strips of very wide cursors are large; the icon sizes are bounded, the frame count is not.
  // Without the platform's PNG decoder a PNG frame refuses to draw, and nothing else does.
  bool png = false;
  for (int i = 0; i < cursor.FrameCount(); ++i) png = png || tw::ReadIconDirectory(cursor.FrameIcon(i)->Bytes())[0].Png;
  if (cursor.FrameCount() <= 64) {
    try {
      cursor.FrameStrip(cursor.FrameCount() % 2 == 0, 0x808080);
      if (png) std::abort();
    } catch (const tw::EInvalidGraphic&) {
      if (!png) std::abort();
    }
  }
  PlaySteps(cursor);
  tw::TIconList list;
  list.Assign(cursor);
  tw::TMemoryStream saved;
  list.SaveToStream(saved);
  saved.SetPosition(0);
  tw::TIconList back;
  back.LoadFromStream(saved);
  if (back.Count() != cursor.FrameCount()) std::abort();
}

TW_FUZZ_SEEDS(AnimatedCursor) {
  using namespace tw::ani_test;
  IconSpec icon;
  icon.bpp = 8;
  icon.width = 5;
  icon.height = 3;
  IconSpec wide;
  wide.type = 2;
  wide.bpp = 24;
  wide.width = 33;
  return {SimpleCursor(1), SimpleCursor(4, 3),
          Riff({Anih(2, 2, 6), Chunk("rate", Values({1, 2})), Chunk("seq ", Values({1, 0})),
                List("fram", {Chunk("icon", IconFile(icon)), Chunk("icon", IconFile(wide))})}),
          Riff({Anih(2, 5, 6), Chunk("rate", Values({1, 2, 3})), Chunk("seq ", Values({1, 0, 1, 3, 0})),
                List("fram", {Chunk("icon", IconFile(icon)), Chunk("icon", IconFile(icon))})})};
}
