// Animated GIFs and cursors playing in a picture control on a real form: frames advance on the
// timer's ticks with their delays, the loop count ends playback, and a new picture or a hidden
// control stops it.
#include "viewers/win/picture_player.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "framework/stream.h"
#include "framework/win/form.h"
#include "framework/win/image.h"
#include "framework/win/platform_pictures.h"
#include "tests/support/win/pump.h"
#include "tests/viewers/ani_test_support.h"
#include "tests/viewers/gif/gif_test_support.h"
#include "viewers/gif/gif_image.h"
#include "viewers/win/animated_cursor_graphic.h"
#include "viewers/win/gif_image_win.h"

namespace tw {
namespace {

using gif_test::GifBuilder;
using test::PumpUntil;

class PicturePlayerTest : public ::testing::Test {
protected:
  void SetUp() override {
    InitGifImageModule();
    form = new TForm(nullptr);
    form->SetBounds(10, 10, 300, 200);
    image = new TImage(form);
    image->SetParent(form);
    image->SetAutoSize(true);
    player = new TPicturePlayer(form, image);
    form->Show();
  }
  void TearDown() override { delete form; }

  template <class Graphic = TGIFImage>
  void Show(const std::vector<std::uint8_t>& file) {
    auto graphic = std::make_unique<Graphic>();
    TMemoryStream stream(file);
    graphic->LoadFromStream(stream);
    image->Picture().SetGraphic(std::move(graphic));
  }

  // The frames and delays the player goes through until it stops or COUNT frames were seen.
  std::vector<std::pair<int, unsigned>> Watch(std::size_t count) {
    std::vector<std::pair<int, unsigned>> seen{{player->Frame(), player->Delay()}};
    while (seen.size() < count && PumpUntil([&] { return player->Frame() != seen.back().first || !player->Playing(); })) {
      if (!player->Playing()) break;
      seen.emplace_back(player->Frame(), player->Delay());
    }
    return seen;
  }

  TForm* form = nullptr;
  TImage* image = nullptr;
  TPicturePlayer* player = nullptr;
};

// Three frames of 12 x 8 with delays 0, 3 and 6 hundredths, and a looping extension.
gif_test::Bytes Animation(int loops) {
  return GifBuilder(12, 8, 2)
      .Application("NETSCAPE2.0", {1, static_cast<std::uint8_t>(loops), 0})
      .GraphicControl(0, -1, 1)
      .Image(12, 8, 2)
      .GraphicControl(3, 1, 2)
      .Image(4, 4, 2, 0, 2, 2)
      .GraphicControl(6, -1, 1)
      .Image(5, 3, 2, 0, 7, 5)
      .Trailer()
      .bytes;
}

TEST_F(PicturePlayerTest, FramesAdvanceWithTheirDelaysUntilTheLoopCountIsReached) {
  Show(Animation(2));
  ASSERT_TRUE(player->Animating());
  EXPECT_EQ(image->ShownGraphic()->Width(), 12) << "the logical screen is shown, not the first frame";
  const auto seen = Watch(20);
  const std::vector<std::pair<int, unsigned>> expected = {{0, 100}, {1, 30}, {2, 60}, {0, 100}, {1, 30}, {2, 60}};
  EXPECT_EQ(seen, expected);
  EXPECT_FALSE(player->Playing());
  EXPECT_EQ(player->Plays(), 2);
  EXPECT_EQ(player->Frame(), 2);
}

TEST_F(PicturePlayerTest, ANewPictureStopsPlaybackAndAHiddenControlPausesIt) {
  Show(Animation(0));
  ASSERT_TRUE(player->Playing());
  form->Hide();
  ASSERT_TRUE(PumpUntil([&] { return !player->Playing(); }));
  const int frame = player->Frame();
  EXPECT_FALSE(PumpUntil([&] { return player->Frame() != frame; }, 400)) << "no frames while nothing is shown";
  form->Show();
  RedrawWindow(form->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  EXPECT_TRUE(PumpUntil([&] { return player->Frame() != frame; }));

  Show(GifBuilder(4, 3).Image(4, 3).Trailer().bytes);
  EXPECT_FALSE(player->Animating());
  EXPECT_FALSE(player->Playing());
  EXPECT_EQ(image->ShownGraphic(), nullptr);
  image->Picture().SetGraphic(nullptr);
  EXPECT_EQ(player->Frame(), -1);
}

TEST_F(PicturePlayerTest, AnimatedCursorsPlayTheirStepsInSequenceAtTheirRatesUntilThePictureChanges) {
  using namespace ani_test;
  Bytes icons{'f', 'r', 'a', 'm'};
  for (std::uint32_t seed = 0; seed < 3; ++seed) {
    IconSpec icon;
    icon.seed = seed;
    Append(icons, Chunk("icon", IconFile(icon)));
  }
  // Four steps through icons 2, 0, 1, 0: frame 0 holds icon 2, frame 1 icon 0, frame 2 icon 1.
  Show<TAnimatedCursorGraphic>(Riff({Anih(3, 4, 9), Chunk("rate", Values({2, 3, 4, 5})),
                                     Chunk("seq ", Values({2, 0, 1, 0})), Chunk("LIST", icons)}));
  ASSERT_TRUE(player->Animating());
  EXPECT_EQ(image->ShownGraphic()->Width(), 4);
  const std::vector<std::pair<int, unsigned>> expected = {{0, 33}, {1, 50}, {2, 66}, {1, 83},
                                                          {0, 33}, {1, 50}, {2, 66}};
  EXPECT_EQ(Watch(expected.size()), expected);
  EXPECT_TRUE(player->Playing()) << "a cursor plays for ever";

  Show(GifBuilder(4, 3).Image(4, 3).Trailer().bytes);
  EXPECT_FALSE(player->Animating());
  EXPECT_FALSE(player->Playing());
  EXPECT_EQ(image->ShownGraphic(), nullptr);
}

}  // namespace
}  // namespace tw
