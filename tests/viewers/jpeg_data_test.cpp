#include "viewers/jpeg_data.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <stdexcept>
#include <string>

#include "framework/string_table.h"
#include "tests/viewers/jpeg_test_pictures.h"

namespace tw {
namespace {

using test::Bytes;
using test::Compare;
using test::JpegFile;
using test::Loaded;
using test::PhotoLikeDib;

const TDib& Photo() {
  static const TDib photo = PhotoLikeDib(101, 67);
  return photo;
}

double MeanChannel(const TDib& dib, int shift) {
  double sum = 0;
  for (int y = 0; y < dib.Height(); ++y)
    for (int x = 0; x < dib.Width(); ++x) sum += dib.PixelColor(x, y) >> shift & 0xFF;
  return sum / (dib.Width() * dib.Height());
}

TEST(JpegDataHeader, BaselineProgressiveAndGrayFilesReportTheirHeader) {
  struct Case {
    bool gray, progressive;
  };
  for (const Case c : {Case{false, false}, Case{false, true}, Case{true, false}, Case{true, true}}) {
    SCOPED_TRACE(testing::Message() << "gray " << c.gray << " progressive " << c.progressive);
    TJPEGData data;
    TMemoryStream stream(JpegFile(Photo(), c.gray, c.progressive));
    EXPECT_EQ(data.LoadFromStream(stream), c.progressive);
    EXPECT_TRUE(data.HasData());
    EXPECT_EQ(data.ImageWidth(), 101);
    EXPECT_EQ(data.ImageHeight(), 67);
    EXPECT_EQ(data.Grayscale(), c.gray);
  }
}

TEST(JpegDataHeader, TakesTheBytesFromThePositionToTheEndAndSavesThemUnchanged) {
  const auto file = JpegFile(Photo());
  std::vector<std::uint8_t> padded = {1, 2, 3};
  padded.insert(padded.end(), file.begin(), file.end());
  TMemoryStream stream(padded);
  stream.SetPosition(3);
  TJPEGData data;
  data.LoadFromStream(stream);
  EXPECT_EQ(Bytes(data), file);

  TMemoryStream saved;
  data.SaveToStream(saved);
  EXPECT_EQ(saved.Bytes(), file);
}

TEST(JpegDataHeader, AnEmptyStreamGivesNoDataAndNoHeader) {
  TMemoryStream empty;
  TJPEGData data;
  EXPECT_FALSE(data.LoadFromStream(empty));
  EXPECT_FALSE(data.HasData());
  EXPECT_EQ(data.ImageWidth(), 0);
  TMemoryStream saved;
  data.SaveToStream(saved);
  EXPECT_EQ(saved.Size(), 0);
}

TEST(JpegDataHeader, ADeclaredSizeBeyondTheStreamFailsAsAStreamReadAndKeepsTheData) {
  auto data = Loaded(JpegFile(Photo()));
  const auto before = Bytes(*data);
  TMemoryStream stream(JpegFile(PhotoLikeDib(8, 8)));
  try {
    data->LoadFromStream(stream, 0x7FFFFFFF);
    FAIL() << "no exception";
  } catch (const EReadError& e) {
    EXPECT_EQ(e.Message(), "Stream read error");
  }
  EXPECT_EQ(Bytes(*data), before);
  EXPECT_EQ(data->ImageWidth(), 101);
}

TEST(JpegDataErrors, NonJpegTruncatedHeadersAndCorruptDataRaiseJpegErrors) {
  const auto file = JpegFile(Photo());
  const std::vector<std::vector<std::uint8_t>> bad = {
      {'h', 'e', 'l', 'l', 'o'},
      {0xFF, 0xD8},
      std::vector<std::uint8_t>(file.begin(), file.begin() + 100),  // ends inside the tables
  };
  for (const auto& bytes : bad) {
    TJPEGData data;
    TMemoryStream stream(bytes);
    try {
      data.LoadFromStream(stream);
      FAIL() << "no exception for " << bytes.size() << " bytes";
    } catch (const EJPEG& e) {
      EXPECT_EQ(e.Message().rfind("JPEG error #", 0), 0u) << e.Message();
      EXPECT_NE(e.Message(), "JPEG error #0");
    }
    EXPECT_FALSE(data.HasData());
  }
}

TEST(JpegDataErrors, ATruncatedScanDecodesToFullSizeWithTheRestFilledIn) {
  const auto file = JpegFile(Photo());
  const auto data = Loaded(std::vector<std::uint8_t>(file.begin(), file.begin() + file.size() * 2 / 3));
  const TDib dib = data->DecodeToDib({});
  EXPECT_EQ(dib.Width(), 101);
  EXPECT_EQ(dib.Height(), 67);
  // The top rows were in the file and decode as they should.
  EXPECT_LT(std::abs(static_cast<int>(dib.PixelColor(5, 2) & 0xFF) - static_cast<int>(Photo().PixelColor(5, 2) & 0xFF)), 12);
}

TEST(JpegDataErrors, CorruptedScanDataNeverCrashes) {
  const auto file = JpegFile(Photo(), false, true);
  for (unsigned seed = 1; seed <= 40; ++seed) {
    auto bytes = file;
    unsigned state = seed;
    for (int i = 0; i < 12; ++i) {
      state = state * 1103515245u + 12345u;
      const std::size_t at = 200 + state % (bytes.size() - 200);
      bytes[at] = static_cast<std::uint8_t>(state >> 16);
    }
    try {
      auto data = Loaded(bytes);
      TJPEGSettings settings;
      settings.ShowProgressive = seed % 2 == 0;
      settings.OutputDepth = seed % 3 == 0 ? 1 : 0;
      const TDib dib = data->DecodeToDib(settings);
      EXPECT_EQ(dib.Width(), data->ImageWidth());
    } catch (const EJPEG&) {
    }
  }
}

TEST(JpegDataGuard, AnAbsurdFrameSizeIsRefusedBeforeAnythingIsAllocated) {
  auto data = Loaded(JpegFile(Photo()));
  TMemoryStream stream(test::WithFrameSize(JpegFile(PhotoLikeDib(16, 16)), 64250, 64250));
  ASSERT_LT(stream.Size(), 2000);
  try {
    data->LoadFromStream(stream);
    FAIL() << "no exception";
  } catch (const EJPEG& e) {
    EXPECT_EQ(e.Message(), LoadStr(SBitmapTooLarge));
  }
  EXPECT_EQ(data->ImageWidth(), 101);
}

TEST(JpegDataGuard, TheCoefficientBufferOfSeveralScansCountsAgainstTheBound) {
  // 12000 x 12000 at 24 bits is 412 MiB of rows: within the bound for one scan; a progressive
  // file adds 3 bytes of coefficients per pixel (4:2:0) and goes beyond it.
  const TDib small = PhotoLikeDib(16, 16);
  TJPEGData data;
  TMemoryStream baseline(test::WithFrameSize(JpegFile(small), 12000, 12000));
  EXPECT_FALSE(data.LoadFromStream(baseline));
  EXPECT_EQ(data.ImageWidth(), 12000);
  TMemoryStream progressive(test::WithFrameSize(JpegFile(small, false, true), 12000, 12000));
  EXPECT_THROW(data.LoadFromStream(progressive), EJPEG);
}

TEST(JpegDataDecode, RoundTripStaysCloseToTheOriginal) {
  for (const bool progressive : {false, true}) {
    const auto data = Loaded(JpegFile(Photo(), false, progressive));
    const TDib dib = data->DecodeToDib({});
    ASSERT_EQ(dib.BitsPerPixel(), 24);
    ASSERT_EQ(dib.Width(), 101);
    ASSERT_EQ(dib.Height(), 67);
    const auto d = Compare(dib, Photo());
    EXPECT_LT(d.mean, 2.5) << "progressive " << progressive;
    EXPECT_LT(d.largest, 40) << "progressive " << progressive;
  }
}

TEST(JpegDataDecode, EachScaleGivesTheRoundedUpFractionOfTheSize) {
  const auto data = Loaded(JpegFile(Photo()));
  const int expected[4][2] = {{101, 67}, {51, 34}, {26, 17}, {13, 9}};
  for (int shift = 0; shift <= 3; ++shift) {
    TJPEGSettings settings;
    settings.ScaleShift = shift;
    int width = 0, height = 0;
    data->ScaledSize(settings, width, height);
    EXPECT_EQ(width, expected[shift][0]) << shift;
    EXPECT_EQ(height, expected[shift][1]) << shift;
    const TDib dib = data->DecodeToDib(settings);
    EXPECT_EQ(dib.Width(), width);
    EXPECT_EQ(dib.Height(), height);
    // The colour in the middle survives scaling.
    const std::uint32_t scaled = dib.PixelColor(width / 2, height / 2);
    const std::uint32_t full = Photo().PixelColor(width / 2 << shift, height / 2 << shift);
    for (int channel = 0; channel < 24; channel += 8)
      EXPECT_NEAR(static_cast<int>(scaled >> channel & 0xFF), static_cast<int>(full >> channel & 0xFF), 24) << shift;
  }
}

TEST(JpegDataDecode, EightBitOutputUsesAtMost236ColoursThatMatchThePicture) {
  for (const int speed : {0, 1}) {
    SCOPED_TRACE(speed);
    TJPEGSettings settings;
    settings.OutputDepth = 1;
    settings.SpeedMode = speed;
    TDibPixelTarget target;
    TJPEGDecodeRequest request;
    request.Settings = settings;
    const auto result = Loaded(JpegFile(Photo()))->Decode(target, request);
    const TDib& dib = target.Dib();
    ASSERT_EQ(dib.BitsPerPixel(), 8);
    EXPECT_TRUE(result.PaletteModified);
    std::set<int> used;
    for (int y = 0; y < dib.Height(); ++y)
      for (int x = 0; x < dib.Width(); ++x) used.insert(dib.ScanLine(y)[x]);
    EXPECT_LE(*used.rbegin(), 235);
    EXPECT_GT(used.size(), 20u);
    // Ordered dithering over a fixed colour cube is coarser than a map made for the picture.
    EXPECT_LT(Compare(dib.ToDepth24(), Photo()).mean, speed == 0 ? 8.0 : 20.0);
  }
}

TEST(JpegDataDecode, GrayOutputGivesGrayLevelsOfTheLuminance) {
  TJPEGSettings settings;
  settings.GrayOutput = true;
  const TDib dib = Loaded(JpegFile(Photo()))->DecodeToDib(settings);
  ASSERT_EQ(dib.BitsPerPixel(), 8);
  for (const TRGBQuad& c : dib.Palette()) {
    EXPECT_EQ(c.Red, c.Green);
    EXPECT_EQ(c.Red, c.Blue);
  }
  const std::uint32_t original = Photo().PixelColor(50, 30);
  const double luminance = 0.299 * (original & 0xFF) + 0.587 * (original >> 8 & 0xFF) + 0.114 * (original >> 16 & 0xFF);
  EXPECT_NEAR(static_cast<double>(dib.PixelColor(50, 30) & 0xFF), luminance, 6.0);
}

TEST(JpegDataDecode, AGrayFileDecodesTo24BitGrayPixelsByDefault) {
  const auto data = Loaded(JpegFile(Photo(), true));
  const TDib dib = data->DecodeToDib({});
  ASSERT_EQ(dib.BitsPerPixel(), 24);
  const std::uint8_t* p = dib.ScanLine(10) + 3 * 20;
  EXPECT_EQ(p[0], p[1]);
  EXPECT_EQ(p[1], p[2]);
  EXPECT_GT(p[0], 0);
}

TEST(JpegDataDecode, ShowingTheScansEndsWithTheSamePictureAsOnePass) {
  const auto data = Loaded(JpegFile(Photo(), false, true));
  for (const int depth : {0, 1}) {
    SCOPED_TRACE(depth);
    TJPEGSettings settings;
    settings.OutputDepth = depth;
    const TDib once = data->DecodeToDib(settings);
    settings.ShowProgressive = true;
    std::vector<TProgressStage> stages;
    TDibPixelTarget target;
    TJPEGDecodeRequest request;
    request.Settings = settings;
    request.OnProgress = [&](const TJPEGProgress& p) { stages.push_back(p.Stage); };
    const auto result = data->Decode(target, request);
    EXPECT_FALSE(result.Aborted);
    EXPECT_EQ(result.PaletteModified, depth == 1);
    EXPECT_TRUE(target.Dib() == once);
    ASSERT_GE(stages.size(), 2u);
    EXPECT_EQ(stages.front(), psStarting);
    EXPECT_EQ(stages.back(), psEnding);
  }
}

TEST(JpegDataDecode, AHeldPaletteBecomesTheColourMap) {
  std::vector<TRGBQuad> palette;
  for (int i = 0; i < 27; ++i)
    palette.push_back(TRGBQuad{static_cast<std::uint8_t>(i % 3 * 127), static_cast<std::uint8_t>(i / 3 % 3 * 127),
                               static_cast<std::uint8_t>(i / 9 * 127), 0});
  for (const bool show : {false, true}) {
    TDibPixelTarget target;
    TJPEGDecodeRequest request;
    request.Settings.OutputDepth = 1;
    request.Settings.ShowProgressive = show;
    request.Palette = palette;
    const auto result = Loaded(JpegFile(Photo(), false, true))->Decode(target, request);
    EXPECT_FALSE(result.PaletteModified);
    const TDib& dib = target.Dib();
    EXPECT_TRUE(std::equal(palette.begin(), palette.end(), dib.Palette().begin()));
    for (int y = 0; y < dib.Height(); ++y)
      for (int x = 0; x < dib.Width(); ++x) ASSERT_LT(dib.ScanLine(y)[x], 27);
    // Dithering keeps the picture's average colour.
    EXPECT_NEAR(MeanChannel(dib.ToDepth24(), 0), MeanChannel(Photo(), 0), 6.0);
    EXPECT_NEAR(MeanChannel(dib.ToDepth24(), 16), MeanChannel(Photo(), 16), 6.0);
  }
}

TEST(JpegDataProgress, ReportsStartAndEndAroundDecodingAndCompressing) {
  std::vector<std::pair<TProgressStage, int>> seen;
  auto record = [&](const TJPEGProgress& p) { seen.emplace_back(p.Stage, p.PercentDone); };
  TJPEGSettings settings;
  const auto data = TJPEGData::Compress(Photo(), settings, record);
  ASSERT_GE(seen.size(), 2u);
  EXPECT_EQ(seen.front(), std::make_pair(psStarting, 0));
  EXPECT_EQ(seen.back(), std::make_pair(psEnding, 100));

  seen.clear();
  TDibPixelTarget target;
  TJPEGDecodeRequest request;
  request.OnProgress = record;
  data->Decode(target, request);
  ASSERT_GE(seen.size(), 2u);
  EXPECT_EQ(seen.front(), std::make_pair(psStarting, 0));
  EXPECT_EQ(seen.back(), std::make_pair(psEnding, 100));
}

TEST(JpegDataProgress, ASilentAbortInsideLibjpegKeepsTheRowsDecodedSoFar) {
  const TDib big = PhotoLikeDib(640, 480);
  const auto data = Loaded(JpegFile(big, false, true));
  TDibPixelTarget target;
  TJPEGDecodeRequest request;
  request.Settings.ShowProgressive = true;
  request.ProgressInterval = std::chrono::milliseconds{0};
  int running = 0;
  std::vector<TProgressStage> stages;
  request.OnProgress = [&](const TJPEGProgress& p) {
    stages.push_back(p.Stage);
    if (p.Stage == psRunning && ++running == 3) throw EAbort();
  };
  const auto result = data->Decode(target, request);
  EXPECT_TRUE(result.Aborted);
  EXPECT_EQ(target.Dib().Width(), 640);
  EXPECT_EQ(stages.back(), psEnding);
  EXPECT_EQ(running, 3);
}

TEST(JpegDataProgress, OtherExceptionsOfTheHandlerPassOutOfLibjpeg) {
  const auto data = Loaded(JpegFile(PhotoLikeDib(320, 240), false, true));
  TDibPixelTarget target;
  TJPEGDecodeRequest request;
  request.ProgressInterval = std::chrono::milliseconds{0};
  TProgressStage last = psStarting;
  request.OnProgress = [&](const TJPEGProgress& p) {
    last = p.Stage;
    if (p.Stage == psRunning) throw std::runtime_error("stop");
  };
  EXPECT_THROW(data->Decode(target, request), std::runtime_error);
  EXPECT_EQ(last, psEnding);
  // The data is still usable afterwards.
  EXPECT_EQ(data->DecodeToDib({}).Width(), 320);
}

TEST(JpegDataCompress, EveryBitmapDepthCompressesToItsColours) {
  const TDib photo = Photo();
  TDib deep(photo.Width(), photo.Height(), 32);
  for (int y = 0; y < photo.Height(); ++y)
    for (int x = 0; x < photo.Width(); ++x) std::memcpy(deep.ScanLine(y) + 4 * x, photo.ScanLine(y) + 3 * x, 3);
  EXPECT_LT(Compare(Loaded(JpegFile(deep))->DecodeToDib({}), photo).mean, 2.5);

  TDib indexed(40, 30, 8);
  indexed.Palette()[1] = TRGBQuad{200, 100, 50, 0};
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x) indexed.ScanLine(y)[x] = x < 20 ? 1 : 0;
  const TDib decoded = Loaded(JpegFile(indexed))->DecodeToDib({});
  EXPECT_LT(Compare(decoded, indexed.ToDepth24()).mean, 4.0);
}

TEST(JpegDataCompress, QualityAndGrayAreApplied) {
  const auto low = JpegFile(Photo(), false, false, 10);
  const auto high = JpegFile(Photo(), false, false, 100);
  EXPECT_LT(low.size(), high.size());
  EXPECT_LT(Compare(Loaded(high)->DecodeToDib({}), Photo()).mean, Compare(Loaded(low)->DecodeToDib({}), Photo()).mean);

  const auto gray = TJPEGData::Compress(Photo(), TJPEGSettings{.GrayOutput = true});
  EXPECT_TRUE(gray->Grayscale());
  EXPECT_EQ(gray->ImageWidth(), 101);
  EXPECT_TRUE(Loaded(Bytes(*gray))->Grayscale());
}

TEST(JpegDataCompress, AnEmptyBitmapOrASilentAbortLeavesNoData) {
  EXPECT_FALSE(TJPEGData::Compress(TDib(), {})->HasData());
  const auto aborted = TJPEGData::Compress(Photo(), {}, [](const TJPEGProgress& p) {
    if (p.Stage == psStarting) throw EAbort();
  });
  EXPECT_FALSE(aborted->HasData());
  EXPECT_EQ(aborted->Data(), nullptr);
}

}  // namespace
}  // namespace tw
