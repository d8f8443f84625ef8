#include "viewers/cursor_animation.h"

#include <algorithm>
#include <limits>

#include "framework/exception.h"
#include "viewers/animated_cursor.h"

namespace tw {
namespace {

constexpr unsigned kUnsetRateDelayMs = 100;
// Frame drawings are kept while all of them together take no more than this.
constexpr std::int64_t kKeptDrawingBytes = std::int64_t{16} << 20;

}  // namespace

unsigned CursorStepDelayMs(std::int32_t rate) {
  if (rate <= 0) return kUnsetRateDelayMs;
  // At most the longest wait a timer takes.
  const std::int64_t ms = std::int64_t{rate} * 1000 / 60;
  return static_cast<unsigned>(std::min<std::int64_t>(ms, std::numeric_limits<std::int32_t>::max()));
}

TCursorAnimation::TCursorAnimation(const TAnimatedCursorImage& cursor) : cursor_(cursor) {
  const TIconImage* first = cursor.FrameIcon(cursor.Steps().front().Frame);
  screen_ = TDib(first->Width(), first->Height(), 32);
  if (static_cast<std::int64_t>(screen_.ImageSize()) * cursor.FrameCount() <= kKeptDrawingBytes)
    drawn_.resize(static_cast<std::size_t>(cursor.FrameCount()));
}

int TCursorAnimation::Frame() const { return step_ < 0 ? -1 : cursor_.Steps()[static_cast<std::size_t>(step_)].Frame; }

unsigned TCursorAnimation::DelayMs() const {
  return step_ < 0 ? 0 : CursorStepDelayMs(cursor_.Steps()[static_cast<std::size_t>(step_)].Rate);
}

bool TCursorAnimation::Advance() {
  const int next = step_ + 1 < static_cast<int>(cursor_.Steps().size()) ? step_ + 1 : 0;
  const int frame = cursor_.Steps()[static_cast<std::size_t>(next)].Frame;
  TDib* kept = drawn_.empty() ? nullptr : &drawn_[static_cast<std::size_t>(frame)];
  if (!kept || kept->Empty()) {
    TDib drawing(screen_.Width(), screen_.Height(), 32);
    try {
      cursor_.FrameIcon(frame)->DrawOnto(drawing, 0, 0);
    } catch (const Exception&) {
      return false;
    }
    if (kept)
      *kept = std::move(drawing);
    else
      screen_ = std::move(drawing);
  }
  shown_ = kept ? kept : &screen_;
  step_ = next;
  return true;
}

}  // namespace tw
