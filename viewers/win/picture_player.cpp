#include "viewers/win/picture_player.h"

#include <windows.h>

#include <cstring>

#include "framework/exception.h"
#include "framework/win/application.h"
#include "framework/win/bitmap.h"
#include "framework/win/image.h"
#include "framework/win/timer.h"
#include "framework/win/win_control.h"
#include "viewers/cursor_animation.h"
#include "viewers/gif/gif_compositor.h"
#include "viewers/gif/gif_image.h"
#include "viewers/win/animated_cursor_graphic.h"

namespace tw {

// One animation as the player plays it: its frames in playing order, each composited and shown
// for its delay.
class TAnimationSource {
public:
  virtual ~TAnimationSource() = default;
  // Shows the next frame (the first after the last); false when it cannot be shown.
  virtual bool Advance() = 0;
  virtual const TDib& Screen() const = 0;
  // Where playback is in the playing order, -1 before the first; and the order's length.
  virtual int Position() const = 0;
  virtual int Length() const = 0;
  // The picture's frame shown.
  virtual int Frame() const = 0;
  virtual unsigned DelayMs() const = 0;
  // How many times the animation plays; 0 for ever.
  virtual int PlayLimit() const = 0;
};

namespace {

class TGifSource : public TAnimationSource {
public:
  explicit TGifSource(TGIFImage& gif) : gif_(gif), compositor_(gif) {}
  bool Advance() override { return compositor_.Advance(); }
  const TDib& Screen() const override { return compositor_.Screen(); }
  int Position() const override { return compositor_.Frame(); }
  int Length() const override { return gif_.FrameCount(); }
  int Frame() const override { return compositor_.Frame(); }
  unsigned DelayMs() const override { return static_cast<unsigned>(GifPlaybackDelayMs(gif_.FrameAt(Frame()))); }
  int PlayLimit() const override { return gif_.LoopEnabled() ? gif_.LoopCount() : 1; }

private:
  TGIFImage& gif_;
  TGifCompositor compositor_;
};

class TCursorSource : public TAnimationSource {
public:
  explicit TCursorSource(const TAnimatedCursorImage& cursor) : cursor_(cursor), animation_(cursor) {}
  bool Advance() override { return animation_.Advance(); }
  const TDib& Screen() const override { return animation_.Screen(); }
  int Position() const override { return animation_.Step(); }
  int Length() const override { return static_cast<int>(cursor_.Steps().size()); }
  int Frame() const override { return animation_.Frame(); }
  unsigned DelayMs() const override { return animation_.DelayMs(); }
  int PlayLimit() const override { return 0; }

private:
  const TAnimatedCursorImage& cursor_;
  TCursorAnimation animation_;
};

// The animation GRAPHIC holds, null for a still picture (one frame or step, or none).
std::unique_ptr<TAnimationSource> AnimationOf(TGraphic* graphic) {
  if (auto* gif = dynamic_cast<TGIFImage*>(graphic); gif && gif->FrameCount() > 1)
    return std::make_unique<TGifSource>(*gif);
  if (auto* cursor = dynamic_cast<TAnimatedCursorGraphic*>(graphic); cursor && cursor->Cursor().Steps().size() > 1)
    return std::make_unique<TCursorSource>(cursor->Cursor());
  return nullptr;
}

}  // namespace

// The composite as a graphic the control draws: a 32-bit bitmap, blended over the page. Being
// drawn while playback waits for the control to show again resumes it.
class TCompositeGraphic : public TGraphic {
public:
  explicit TCompositeGraphic(TNotifyEvent on_draw) : on_draw_(std::move(on_draw)) {}
  std::string ClassName() const override { return "TCompositeGraphic"; }
  bool Empty() const override { return bitmap_.Empty(); }
  int Width() const override { return bitmap_.Width(); }
  int Height() const override { return bitmap_.Height(); }
  void SetWidth(int) override {}
  void SetHeight(int) override {}
  void LoadFromStream(TStream&) override {}
  void SaveToStream(TStream&) override {}
  void Draw(TCanvas& canvas, const TRect& rect) override {
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    GdiAlphaBlend(canvas.Handle(), rect.Left, rect.Top, rect.Width(), rect.Height(), bitmap_.Canvas().Handle(), 0, 0,
                  bitmap_.Width(), bitmap_.Height(), blend);
    if (on_draw_) on_draw_(this);
  }
  // Takes the screen's pixels: the bitmap is made once and its rows overwritten afterwards.
  void Take(const TDib& screen) {
    if (bitmap_.Empty()) return bitmap_.AssignDib(screen);
    for (int y = 0; y < screen.Height(); ++y)
      std::memcpy(bitmap_.ScanLine(y), screen.ScanLine(y), static_cast<std::size_t>(screen.Stride()));
    GdiFlush();
  }

private:
  TBitmap bitmap_;
  TNotifyEvent on_draw_;
};

TPicturePlayer::TPicturePlayer(TComponent* owner, TImage* image) : TComponent(owner), image_(image) {
  timer_ = new TTimer(this);
  timer_->SetEnabled(false);
  timer_->SetOnTimer([this](TObject*) {
    try {
      Step();
    } catch (...) {
      Stop();
      Application->HandleException(this);
    }
  });
  image_->FreeNotification(this);
  previous_on_change_ = image_->OnPictureChange;
  image_->OnPictureChange = [this](TObject* sender) { PictureChanged(sender); };
  Start();
}

TPicturePlayer::~TPicturePlayer() {
  if (!image_) return;
  Stop();
  image_->OnPictureChange = previous_on_change_;
  image_->RemoveFreeNotification(this);
}

void TPicturePlayer::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (component != image_ || operation != opRemove) return;
  // The control goes first: nothing of it may be touched again.
  image_ = nullptr;
  timer_->SetEnabled(false);
  source_.reset();
}

bool TPicturePlayer::Playing() const { return timer_->Running(); }

int TPicturePlayer::Frame() const { return source_ ? source_->Frame() : -1; }

unsigned TPicturePlayer::Delay() const { return timer_->Interval(); }

void TPicturePlayer::PictureChanged(TObject* sender) {
  if (previous_on_change_) previous_on_change_(sender);
  Start();
}

void TPicturePlayer::Start() {
  Stop();
  try {
    source_ = AnimationOf(image_->Picture().Graphic());
  } catch (const Exception&) {
    // A screen too large to composite: the picture shows its first frame as it is.
    return;
  }
  if (!source_) return;
  if (!source_->Advance()) return source_.reset();
  plays_ = 1;
  finished_ = false;
  play_limit_ = source_->PlayLimit();
  screen_ = std::make_unique<TCompositeGraphic>([this](TObject*) {
    if (source_ && !finished_ && !timer_->Enabled()) timer_->SetEnabled(true);
  });
  Show();
  image_->SetShownGraphic(screen_.get());
}

void TPicturePlayer::Stop() {
  timer_->SetEnabled(false);
  if (image_) image_->SetShownGraphic(nullptr);
  screen_.reset();
  source_.reset();
  plays_ = 0;
}

bool TPicturePlayer::CanBeSeen() const {
  TWinControl* parent = image_->Parent();
  return image_->Visible() && parent && parent->HandleAllocated() && IsWindowVisible(parent->Handle());
}

// The composite goes to the control, and the frame's delay to the timer.
void TPicturePlayer::Show() {
  screen_->Take(source_->Screen());
  timer_->SetInterval(source_->DelayMs());
  timer_->SetEnabled(true);
  image_->Invalidate();
}

void TPicturePlayer::Step() {
  if (!source_) return;
  // Hidden: no more ticks until the control is painted again.
  if (!CanBeSeen()) return timer_->SetEnabled(false);
  const bool last = source_->Position() == source_->Length() - 1;
  // At its end, or at a frame that cannot be shown, the animation stays on the frame shown and
  // painting does not start it again.
  if ((last && play_limit_ != 0 && plays_ >= play_limit_) || !source_->Advance()) {
    finished_ = true;
    return timer_->SetEnabled(false);
  }
  if (source_->Position() == 0) ++plays_;
  Show();
}

}  // namespace tw
