#pragma once
// TPicturePlayer: plays the animation a picture control shows. An animated GIF has each frame
// composited on its logical screen (TGifCompositor) and shown for its delay, the whole
// animation as many times as its looping extension says (0: for ever; without one: once); an
// animated cursor shows its steps in their sequence order at their rates (TCursorAnimation),
// for ever. A frame that cannot be shown stops playback on the last good one. Playback runs
// from a timer on the main thread while the control can be seen: a hidden control pauses it
// until it is painted again, a new picture ends it, and so does destroying the player or the
// control.

#include <memory>

#include "framework/component.h"
#include "framework/events.h"

namespace tw {

class TImage;
class TTimer;
class TAnimationSource;
class TCompositeGraphic;

class TPicturePlayer : public TComponent {
public:
  TPicturePlayer(TComponent* owner, TImage* image);
  ~TPicturePlayer() override;

  std::string ClassName() const override { return "TPicturePlayer"; }

  // An animation is being shown (playing, paused while hidden, or stopped at its end).
  bool Animating() const { return source_ != nullptr; }
  // The timer runs: the next frame is due.
  bool Playing() const;
  // The frame the control shows (of a cursor: the frame of the step shown), -1 without an
  // animation.
  int Frame() const;
  // How long the frame shown stays, in milliseconds.
  unsigned Delay() const;
  // The number of times the animation has started, counting the first.
  int Plays() const { return plays_; }

protected:
  void Notification(TComponent* component, TOperation operation) override;

private:
  void PictureChanged(TObject* sender);
  void Start();
  void Stop();
  void Step();
  void Show();
  bool CanBeSeen() const;

  TImage* image_;
  TNotifyEvent previous_on_change_;
  TTimer* timer_;
  std::unique_ptr<TAnimationSource> source_;
  std::unique_ptr<TCompositeGraphic> screen_;
  int plays_ = 0;
  int play_limit_ = 1;  // 0: for ever
  bool finished_ = false;
};

}  // namespace tw
