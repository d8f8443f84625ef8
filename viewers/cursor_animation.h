#pragma once
// Plays an animated cursor the way the system animates one: its steps in their sequence order,
// each showing its frame for the step's rate, round and round. The screen has the first step's
// frame size and starts every step transparent, as a cursor frame replaces the one before it.

#include <cstdint>
#include <vector>

#include "framework/dib.h"

namespace tw {

class TAnimatedCursorImage;

// How long a step of RATE sixtieths of a second is shown, in milliseconds (truncated); a rate
// of 0 or less is shown for 100 ms, as GIF frames without a delay are.
unsigned CursorStepDelayMs(std::int32_t rate);

class TCursorAnimation {
public:
  // CURSOR must have at least one step and outlive the animation.
  explicit TCursorAnimation(const TAnimatedCursorImage& cursor);

  // The frame of the step reached: 32 bits per pixel, blue, green, red and alpha, the colours
  // premultiplied by alpha.
  const TDib& Screen() const { return *shown_; }
  // The step the screen shows, -1 before the first.
  int Step() const { return step_; }
  // The cursor frame that step shows, -1 before the first.
  int Frame() const;
  unsigned DelayMs() const;
  // Draws the next step (step 0 after the last). A frame that cannot be drawn (a PNG image the
  // platform does not decode) leaves the screen as it is and returns false.
  bool Advance();

private:
  const TAnimatedCursorImage& cursor_;
  TDib screen_;
  // Every frame's drawing, kept when all of them fit in a few megabytes, so that steps only
  // pick one; empty entries are drawn on first need.
  std::vector<TDib> drawn_;
  const TDib* shown_ = &screen_;
  int step_ = -1;
};

}  // namespace tw
