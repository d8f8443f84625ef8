#include <gtest/gtest.h>

#include "framework/exception.h"
#include "framework/stream.h"
#include "framework/string_table.h"
#include "tests/support/png_file.h"
#include "tests/support/temp_folder.h"
#include "tests/viewers/ani_test_support.h"
#include "viewers/animated_cursor.h"
#include "viewers/cursor_animation.h"
#include "viewers/icon_list.h"

namespace tw {
namespace {

using namespace ani_test;

void Load(TAnimatedCursorImage& cursor, const Bytes& bytes) {
  TMemoryStream stream(bytes);
  cursor.LoadFromStream(stream);
}

Bytes FramList(std::initializer_list<Bytes> icons) {
  Bytes payload{'f', 'r', 'a', 'm'};
  for (const auto& icon : icons) Append(payload, Chunk("icon", icon));
  return Chunk("LIST", payload);
}

IconSpec Cursor(std::uint32_t seed, int hot_x = 1, int hot_y = 2) {
  IconSpec s;
  s.type = 2;
  s.seed = seed;
  s.hot_x = hot_x;
  s.hot_y = hot_y;
  return s;
}

TEST(AnimatedCursor, ReadsFramesRatesTextsAndColours) {
  TAnimatedCursorImage cursor;
  Load(cursor, SimpleCursor(3, 7));
  ASSERT_EQ(cursor.FrameCount(), 3);
  EXPECT_EQ(cursor.Title(), "Busy");
  EXPECT_EQ(cursor.Author(), "Tarnwick");
  EXPECT_EQ(cursor.MaxColors(), 16);
  EXPECT_EQ(cursor.Header().StepCount, 3u);
  for (int i = 0; i < 3; ++i) {
    const TIconFrame& f = cursor.Frame(i);
    EXPECT_EQ(f.Key, i);
    EXPECT_EQ(f.Rate, 7);
    EXPECT_FALSE(f.IsIcon);
    EXPECT_EQ(f.HotSpot, Point(i, i + 1)) << i;
    ASSERT_NE(cursor.FrameIcon(i), nullptr);
    EXPECT_EQ(cursor.FrameIcon(i)->Width(), 4);
    // The cursor directory type was turned into an icon's so that icon readers take it.
    EXPECT_EQ(cursor.FrameIcon(i)->Bytes()[2], 1);
    EXPECT_EQ(f.ChunkHeader[0], 'i');
  }
  EXPECT_NE(cursor.FrameIcon(0)->Bytes(), cursor.FrameIcon(1)->Bytes());
}

// A cursor theme's frame: a 256 x 256 and a 96 x 96 image, both PNG, hot at the last entry.
Bytes PngCursorFrame(std::uint8_t shade, int hot) {
  auto png = [&](int side) {
    png_test::PngLayout layout;
    layout.width = layout.height = side;
    layout.color_type = png_test::kRgba;
    return png_test::PngFile(layout, [&](int x, int y) {
      return std::array<std::uint8_t, 4>{shade, static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y), 255};
    });
  };
  return PngIconFile(2, {{png(256), 256, 256, 128, 128}, {png(96), 96, 96, hot, hot + 1}});
}

TEST(AnimatedCursor, FramesOfPngImagesAreReadAndRefuseOnlyToDrawWithoutADecoder) {
  TAnimatedCursorImage cursor;
  Load(cursor, Riff({Anih(2, 2, 5), Chunk("rate", Values({4, 8})), Chunk("seq ", Values({1, 0})),
                     FramList({PngCursorFrame(10, 30), PngCursorFrame(200, 40)})}));
  ASSERT_EQ(cursor.FrameCount(), 2);
  const int keys[] = {1, 0}, rates[] = {4, 8}, hot[] = {40, 30};
  for (int i = 0; i < 2; ++i) {
    const TIconFrame& frame = cursor.Frame(i);
    EXPECT_EQ(frame.Key, keys[i]);
    EXPECT_EQ(frame.Rate, rates[i]);
    EXPECT_FALSE(frame.IsIcon);
    EXPECT_EQ(frame.HotSpot, Point(hot[i], hot[i] + 1)) << i;
    EXPECT_EQ(frame.Icon->Width(), 256);
    EXPECT_EQ(frame.Icon->Height(), 256);
  }
  const auto entries = ReadIconDirectory(cursor.FrameIcon(0)->Bytes());
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_TRUE(entries[1].Png);
  EXPECT_EQ(entries[1].Width, 96);

  // This build has no PNG decoder: drawing the frame says so, reading did not.
  TDib target(8, 8, 24);
  try {
    cursor.FrameIcon(0)->DrawOnto(target, 0, 0);
    ADD_FAILURE() << "drawn";
  } catch (const EInvalidGraphic& e) {
    EXPECT_EQ(e.Message(), LoadStr(SPngIconNotDrawable));
  }
}

TEST(AnimatedCursor, RefusesFramesStoredAsRawBitmaps) {
  TAnimatedCursorImage cursor;
  Load(cursor, SimpleCursor(2));
  const Bytes raw = Riff({Anih(1, 1, 5, 0), FramList({IconFile(Cursor(0))})});
  TMemoryStream stream(raw);
  EXPECT_THROW(cursor.LoadFromStream(stream), EReadError);
  EXPECT_EQ(cursor.FrameCount(), 0);
  EXPECT_EQ(cursor.Title(), "");
}

TEST(AnimatedCursor, RefusesZeroStepsWrongFormsAndCursorsWithoutIcons) {
  TAnimatedCursorImage cursor;
  for (const Bytes& bad : {Riff({Anih(1, 0, 5), FramList({IconFile(Cursor(0))})}),
                           Riff({Anih(1, 1, 5), FramList({IconFile(Cursor(0))})}, "AVI "),
                           Riff({Anih(2, 2, 5)}), Bytes{'R', 'I', 'F', 'F', 1, 0}}) {
    TMemoryStream stream(bad);
    EXPECT_THROW(cursor.LoadFromStream(stream), EReadError);
  }
  TMemoryStream empty;
  cursor.LoadFromStream(empty);
  EXPECT_EQ(cursor.FrameCount(), 0);
}

TEST(AnimatedCursor, SurplusIconsGetFramesWithKeyMinusOneAndTheDefaultRate) {
  TAnimatedCursorImage cursor;
  Load(cursor, Riff({Anih(1, 1, 9), Chunk("rate", Values({4})),
                     FramList({IconFile(Cursor(0)), IconFile(Cursor(1)), IconFile(Cursor(2))})}));
  ASSERT_EQ(cursor.FrameCount(), 3);
  EXPECT_EQ(cursor.Frame(0).Key, 0);
  EXPECT_EQ(cursor.Frame(0).Rate, 4);
  for (int i = 1; i < 3; ++i) {
    EXPECT_EQ(cursor.Frame(i).Key, -1);
    EXPECT_EQ(cursor.Frame(i).Rate, 9);
    ASSERT_NE(cursor.FrameIcon(i), nullptr);
  }
  EXPECT_EQ(cursor.FrameIcon(2)->Bytes(), [] {
    Bytes b = IconFile(Cursor(2));
    b[2] = 1;
    return b;
  }());
}

TEST(AnimatedCursor, RateAndSequenceEntriesGoToTheFramesInOrderInOneChunkOrMany) {
  const Bytes icons = FramList({IconFile(Cursor(0)), IconFile(Cursor(1)), IconFile(Cursor(2))});
  TAnimatedCursorImage one_chunk, many_chunks;
  Load(one_chunk, Riff({Anih(3, 3, 9), Chunk("rate", Values({3, 4, 5})), Chunk("seq ", Values({2, 0, 1})), icons}));
  Load(many_chunks, Riff({Anih(3, 3, 9), Chunk("rate", Values({3})), Chunk("rate", Values({4})),
                          Chunk("rate", Values({5})), Chunk("seq ", Values({2})), Chunk("seq ", Values({0})),
                          Chunk("seq ", Values({1})), icons}));
  for (const auto* cursor : {&one_chunk, &many_chunks}) {
    ASSERT_EQ(cursor->FrameCount(), 3);
    EXPECT_EQ(cursor->Frame(0).Rate, 3);
    EXPECT_EQ(cursor->Frame(1).Rate, 4);
    EXPECT_EQ(cursor->Frame(2).Rate, 5);
    // Frame 0 shows icon 2, frame 1 icon 0, frame 2 icon 1.
    EXPECT_EQ(cursor->FrameIcon(0)->Bytes(), one_chunk.FrameIcon(0)->Bytes());
    EXPECT_EQ(cursor->Frame(0).HotSpot, Point(1, 2));
  }
  TAnimatedCursorImage plain;
  Load(plain, Riff({Anih(3, 3, 9), icons}));
  EXPECT_EQ(one_chunk.FrameIcon(0)->Bytes(), plain.FrameIcon(2)->Bytes());
  EXPECT_EQ(one_chunk.FrameIcon(1)->Bytes(), plain.FrameIcon(0)->Bytes());
}

// Three icons in five steps: there and back again, the sequence naming icons, the rates
// covering four steps. Frame 0 holds icon 2, frame 1 icon 0, frame 2 icon 1.
Bytes ThereAndBack() {
  return Riff({Anih(3, 5, 9), Chunk("rate", Values({2, 3, 0, 5})), Chunk("seq ", Values({2, 0, 1, 0, 2})),
               FramList({IconFile(Cursor(0)), IconFile(Cursor(1)), IconFile(Cursor(2))})});
}

TEST(AnimatedCursor, StepsFollowTheSequenceBeyondTheFrameCountAndSkipMissingIcons) {
  using Steps = std::vector<TCursorStep>;
  TAnimatedCursorImage cursor, copy;
  Load(cursor, ThereAndBack());
  EXPECT_EQ(cursor.FrameCount(), 3);
  EXPECT_EQ(cursor.Steps(), (Steps{{0, 2}, {1, 3}, {2, 0}, {1, 5}, {0, 9}}));
  copy.Assign(cursor);
  EXPECT_EQ(copy.Steps(), cursor.Steps());

  const Bytes icons = FramList({IconFile(Cursor(0)), IconFile(Cursor(1)), IconFile(Cursor(2))});
  // Without a sequence step N shows icon N, as many steps as the header counts.
  TAnimatedCursorImage plain;
  Load(plain, Riff({Anih(3, 2, 9), icons}));
  EXPECT_EQ(plain.Steps(), (Steps{{0, 9}, {1, 9}}));
  // Icon 7 does not exist: its step goes; frame 1 (key 7) has no icon and goes too.
  TAnimatedCursorImage missing;
  Load(missing, Riff({Anih(3, 3, 9), Chunk("seq ", Values({1, 7, 0})), icons}));
  ASSERT_EQ(missing.FrameCount(), 3);
  EXPECT_EQ(missing.Steps(), (Steps{{0, 9}, {1, 9}}));
  EXPECT_EQ(missing.FrameIcon(1)->Bytes(), plain.FrameIcon(0)->Bytes());
  // No step names an icon: the frames play once each.
  TAnimatedCursorImage none;
  Load(none, Riff({Anih(1, 1, 9), Chunk("seq ", Values({5})), FramList({IconFile(Cursor(0))})}));
  EXPECT_EQ(none.Steps(), (Steps{{0, 9}}));
}

TEST(CursorAnimation, StepsShowTheirFramesAloneInSequenceAtTheirRatesRoundAndRound) {
  TAnimatedCursorImage cursor;
  Load(cursor, ThereAndBack());
  TCursorAnimation animation(cursor);
  EXPECT_EQ(animation.Step(), -1);
  EXPECT_EQ(animation.Screen().Width(), 4);
  const std::uint32_t icon_of_frame[] = {2, 0, 1};
  std::vector<std::pair<int, unsigned>> seen;
  for (int i = 0; i < 6; ++i) {
    ASSERT_TRUE(animation.Advance());
    seen.emplace_back(animation.Frame(), animation.DelayMs());
    const TDib& screen = animation.Screen();
    const IconSpec icon = Cursor(icon_of_frame[animation.Frame()]);
    // The masked column is transparent, the rest opaque in the icon's colours.
    EXPECT_EQ(screen.ScanLine(1)[3], 0);
    EXPECT_EQ(screen.PixelColor(0, 1), 0u);
    EXPECT_EQ(screen.ScanLine(3)[4 * 2 + 3], 255);
    EXPECT_EQ(screen.PixelColor(2, 3), IconSpec::PaletteColor(static_cast<int>(icon.Pixel(2, 3)))) << i;
  }
  // Rates of 2, 3, 5 and 9 sixtieths; a rate of 0 as GIF frames without a delay.
  const std::vector<std::pair<int, unsigned>> expected = {{0, 33}, {1, 50}, {2, 100}, {1, 83}, {0, 150}, {0, 33}};
  EXPECT_EQ(seen, expected);
  EXPECT_EQ(animation.Step(), 0);
}

TEST(CursorAnimation, AlphaIsPremultipliedAndPngFramesNeedADecoder) {
  IconSpec translucent;
  translucent.bpp = 32;
  translucent.alpha = 128;
  TAnimatedCursorImage cursor;
  Load(cursor, Riff({Anih(1, 1, 9), FramList({IconFile(translucent)})}));
  TCursorAnimation animation(cursor);
  ASSERT_TRUE(animation.Advance());
  const std::uint32_t color = translucent.Pixel(2, 3);
  const std::uint8_t* pixel = animation.Screen().ScanLine(3) + 4 * 2;
  EXPECT_EQ(pixel[0], ((color >> 16 & 255) * 128 + 127) / 255);
  EXPECT_EQ(pixel[2], ((color & 255) * 128 + 127) / 255);
  EXPECT_EQ(pixel[3], 128);
  EXPECT_EQ(animation.Screen().ScanLine(3)[3], 0) << "the masked column";

  // This build has no PNG decoder: the step is not shown.
  TAnimatedCursorImage png;
  Load(png, Riff({Anih(1, 1, 9), FramList({PngCursorFrame(10, 30)})}));
  TCursorAnimation png_animation(png);
  EXPECT_FALSE(png_animation.Advance());
  EXPECT_EQ(png_animation.Step(), -1);
}

TEST(AnimatedCursor, IconsAreHotAtTheirCentreCursorsAtTheirLastEntry) {
  IconSpec icon;
  icon.type = 1;
  icon.width = 6;
  icon.height = 8;
  icon.bpp = 8;
  icon.hot_x = 1;   // an icon's planes field
  icon.hot_y = 8;   // an icon's bit count field
  IconSpec cursor_image = Cursor(3, 5, 3);
  cursor_image.bpp = 1;
  TAnimatedCursorImage cursor;
  Load(cursor, Riff({Anih(2, 2, 1), FramList({IconFile(icon), IconFile(cursor_image)})}));
  ASSERT_EQ(cursor.FrameCount(), 2);
  EXPECT_TRUE(cursor.Frame(0).IsIcon);
  EXPECT_EQ(cursor.Frame(0).HotSpot, Point(3, 4));
  EXPECT_FALSE(cursor.Frame(1).IsIcon);
  EXPECT_EQ(cursor.Frame(1).HotSpot, Point(5, 3));
  EXPECT_EQ(cursor.MaxColors(), 256);
}

TEST(AnimatedCursor, AnUnreadableIconEndsParsingAndKeepsEarlierFrames) {
  Bytes broken = IconFile(Cursor(1));
  broken[2] = 7;  // neither an icon nor a cursor directory
  TAnimatedCursorImage cursor;
  Load(cursor, Riff({Anih(3, 3, 2), FramList({IconFile(Cursor(0)), broken, IconFile(Cursor(2))}),
                     List("INFO", {Chunk("INAM", Text("late"))})}));
  EXPECT_EQ(cursor.FrameCount(), 1);
  EXPECT_EQ(cursor.Header().StepCount, 1u);
  EXPECT_EQ(cursor.Title(), "");
}

TEST(AnimatedCursor, OddChunksArePaddedAndTextsAreCut) {
  const std::string long_title(300, 'x');
  TAnimatedCursorImage cursor;
  Load(cursor, Riff({Chunk("junk", Bytes{1, 2, 3}), Anih(1, 1, 2),
                     List("INFO", {Chunk("INAM", Bytes(long_title.begin(), long_title.end())),
                                   Chunk("IART", Bytes{'a', 'b', 'c'})}),
                     FramList({IconFile(Cursor(0))})}));
  ASSERT_EQ(cursor.FrameCount(), 1);
  EXPECT_EQ(cursor.Title(), std::string(255, 'x'));
  EXPECT_EQ(cursor.Author(), "abc");
}

TEST(AnimatedCursor, ATruncatedFileKeepsTheIconsItHolds) {
  Bytes file = Riff({Anih(2, 2, 2), FramList({IconFile(Cursor(0)), IconFile(Cursor(1))})});
  file.resize(file.size() - 20);
  TAnimatedCursorImage cursor;
  Load(cursor, file);
  EXPECT_EQ(cursor.FrameCount(), 1);
}

TEST(AnimatedCursor, AHugeFrameCountDoesNotAllocateFramesForIt) {
  TAnimatedCursorImage cursor;
  Load(cursor, Riff({Anih(0xFFFFFFFFu, 1, 2), FramList({IconFile(Cursor(0))})}));
  EXPECT_EQ(cursor.FrameCount(), 1);
}

TEST(AnimatedCursor, SavingIsRefusedSilently) {
  TAnimatedCursorImage cursor;
  Load(cursor, SimpleCursor(1));
  TMemoryStream out;
  EXPECT_THROW(cursor.SaveToStream(out), EAbort);
  EXPECT_EQ(out.Size(), 0);
}

TEST(AnimatedCursor, LoadFromFileClearsOnFailure) {
  test::TempFolder folder;
  TAnimatedCursorImage cursor;
  cursor.LoadFromFile(folder.Write("busy.ani", SimpleCursor(2)));
  EXPECT_EQ(cursor.FrameCount(), 2);
  EXPECT_THROW(cursor.LoadFromFile(folder.Write("bad.ani", Bytes{'R', 'I', 'F', 'F'})), EReadError);
  EXPECT_EQ(cursor.FrameCount(), 0);
  EXPECT_THROW(cursor.LoadFromFile(folder.File("missing.ani")), EFOpenError);
}

TEST(AnimatedCursor, AssignCopiesAndHandsFramesToIconsAndIconLists) {
  TAnimatedCursorImage source;
  Load(source, SimpleCursor(3, 12));
  TAnimatedCursorImage copy;
  copy.Assign(source);
  ASSERT_EQ(copy.FrameCount(), 3);
  EXPECT_EQ(copy.Title(), "Busy");
  EXPECT_EQ(copy.Header(), source.Header());
  EXPECT_NE(copy.FrameIcon(1), source.FrameIcon(1));
  EXPECT_EQ(copy.FrameIcon(1)->Bytes(), source.FrameIcon(1)->Bytes());
  EXPECT_EQ(copy.Frame(2).HotSpot, Point(2, 3));

  TIconImage icon;
  icon.Assign(source);
  EXPECT_EQ(icon.Bytes(), source.FrameIcon(0)->Bytes());

  TIconList list;
  int changes = 0;
  list.OnChange = [&](TObject*) { ++changes; };
  list.Add(&icon);
  changes = 0;
  list.Assign(source);
  EXPECT_EQ(changes, 1);
  ASSERT_EQ(list.Count(), 3);
  EXPECT_EQ(list.Get(2)->Bytes(), source.FrameIcon(2)->Bytes());

  TIconFrame frame;
  EXPECT_THROW(copy.Assign(frame), EConvertError);
}

TEST(AnimatedCursor, FrameStripDrawsEveryFrameOverTheBackground) {
  TAnimatedCursorImage cursor;
  Load(cursor, SimpleCursor(3));
  const std::uint32_t back = Rgb(10, 20, 30);
  const TDib strip = cursor.FrameStrip(false, back);
  ASSERT_EQ(strip.Width(), 12);
  ASSERT_EQ(strip.Height(), 4);
  for (int i = 0; i < 3; ++i) {
    const IconSpec icon = Cursor(static_cast<std::uint32_t>(i));
    // The masked left column XORs a colour into the background; the rest is opaque.
    const std::uint32_t masked = IconSpec::PaletteColor(static_cast<int>(icon.Pixel(0, 1)));
    EXPECT_EQ(strip.PixelColor(4 * i, 1), masked ^ back);
    EXPECT_EQ(strip.PixelColor(4 * i + 2, 3), IconSpec::PaletteColor(static_cast<int>(icon.Pixel(2, 3))));
  }
  const TDib column = cursor.FrameStrip(true, back);
  EXPECT_EQ(column.Width(), 4);
  EXPECT_EQ(column.Height(), 12);
  EXPECT_EQ(column.PixelColor(2, 9), strip.PixelColor(10, 1));

  auto reduced = cursor.ReducedFrameStrip(false, back);
  TDib dib;
  dib.LoadFromBitmapFile(*reduced);
  EXPECT_EQ(dib.BitsPerPixel(), 4);
  EXPECT_EQ(dib.Width(), 12);

  TAnimatedCursorImage empty;
  EXPECT_TRUE(empty.FrameStrip(false, back).Empty());
}

}  // namespace
}  // namespace tw
