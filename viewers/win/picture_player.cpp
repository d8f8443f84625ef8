#include "viewers/win/picture_player.h"

#include <windows.h>

#include <cstring>

#include "framework/exception.h"
#include "framework/win/application.h"
#include "framework/win/bitmap.h"
#include "framework/win/image.h"
#include "framework/win/timer.h"
#include "framework/win/win_control.h"
#include "viewers/gif/gif_compositor.h"
#include "viewers/gif/gif_image.h"

namespace tw {

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
  compositor_.reset();
}

bool TPicturePlayer::Playing() const { return timer_->Running(); }

int TPicturePlayer::Frame() const { return compositor_ ? compositor_->Frame() : -1; }

unsigned TPicturePlayer::Delay() const { return timer_->Interval(); }

void TPicturePlayer::PictureChanged(TObject* sender) {
  if (previous_on_change_) previous_on_change_(sender);
  Start();
}

void TPicturePlayer::Start() {
  Stop();
  auto* gif = dynamic_cast<TGIFImage*>(image_->Picture().Graphic());
  if (!gif || gif->FrameCount() < 2) return;
  try {
    compositor_ = std::make_unique<TGifCompositor>(*gif);
  } catch (const Exception&) {
    // A screen too large to composite: the picture shows its first frame as it is.
    return;
  }
  if (!compositor_->Advance()) return compositor_.reset();
  plays_ = 1;
  finished_ = false;
  play_limit_ = gif->LoopEnabled() ? gif->LoopCount() : 1;
  screen_ = std::make_unique<TCompositeGraphic>([this](TObject*) {
    if (compositor_ && !finished_ && !timer_->Enabled()) timer_->SetEnabled(true);
  });
  Show();
  image_->SetShownGraphic(screen_.get());
}

void TPicturePlayer::Stop() {
  timer_->SetEnabled(false);
  if (image_) image_->SetShownGraphic(nullptr);
  screen_.reset();
  compositor_.reset();
  plays_ = 0;
}

bool TPicturePlayer::CanBeSeen() const {
  TWinControl* parent = image_->Parent();
  return image_->Visible() && parent && parent->HandleAllocated() && IsWindowVisible(parent->Handle());
}

// The composite goes to the control, and the frame's delay to the timer.
void TPicturePlayer::Show() {
  screen_->Take(compositor_->Screen());
  auto* gif = static_cast<TGIFImage*>(image_->Picture().Graphic());
  timer_->SetInterval(static_cast<unsigned>(GifPlaybackDelayMs(gif->FrameAt(compositor_->Frame()))));
  timer_->SetEnabled(true);
  image_->Invalidate();
}

void TPicturePlayer::Step() {
  if (!compositor_) return;
  // Hidden: no more ticks until the control is painted again.
  if (!CanBeSeen()) return timer_->SetEnabled(false);
  auto* gif = static_cast<TGIFImage*>(image_->Picture().Graphic());
  const bool last = compositor_->Frame() == gif->FrameCount() - 1;
  // At its end, or at a frame that cannot be shown, the animation stays on the frame shown and
  // painting does not start it again.
  if ((last && play_limit_ != 0 && plays_ >= play_limit_) || !compositor_->Advance()) {
    finished_ = true;
    return timer_->SetEnabled(false);
  }
  if (compositor_->Frame() == 0) ++plays_;
  Show();
}

}  // namespace tw
