#include <gtest/gtest.h>

#include <map>

#include "framework/exception.h"
#include "framework/persistent.h"
#include "framework/stream.h"
#include "tests/viewers/ani_test_support.h"
#include "viewers/ani_icon.h"
#include "viewers/icon_list.h"

namespace tw {
namespace {

using namespace ani_test;

TIconImage MakeIcon(std::uint32_t seed, int bpp = 4) {
  IconSpec icon_spec;
  icon_spec.seed = seed;
  icon_spec.bpp = bpp;
  TIconImage icon;
  icon.LoadFromBytes(IconFile(icon_spec));
  return icon;
}

// Collects the binary properties an object defines, as the component stream would.
class RecordingFiler : public TFiler {
public:
  void DefineBinaryProperty(const std::string& name, TStreamProc read_data, TStreamProc write_data,
                            bool has_data) override {
    if (!has_data) return;
    TMemoryStream stream;
    write_data(stream);
    written[name] = stream.Bytes();
    readers[name] = read_data;
  }
  std::map<std::string, Bytes> written;
  std::map<std::string, TStreamProc> readers;
};

TEST(IconImage, RefusesWhatAnIconReaderCannotUse) {
  TIconImage icon = MakeIcon(1);
  const Bytes good = icon.Bytes();
  auto refused = [&](Bytes bytes) {
    EXPECT_THROW(icon.LoadFromBytes(std::move(bytes)), EInvalidGraphic);
    EXPECT_EQ(icon.Bytes(), good);
  };
  Bytes cursor = good;
  cursor[2] = 2;
  refused(cursor);
  Bytes no_images = good;
  no_images[4] = 0;
  refused(no_images);
  Bytes outside = good;
  outside[14] = 0xFF;  // the image's size reaches past the data
  refused(outside);
  Bytes compressed = good;
  compressed[22 + 16] = 2;
  refused(compressed);
  Bytes short_data = good;
  short_data.resize(good.size() - 1);
  refused(short_data);
  refused({});
}

TEST(IconImage, DrawsThirtyTwoBitImagesByTheirAlpha) {
  IconSpec icon_spec;
  icon_spec.bpp = 24;
  Bytes bytes = IconFile(icon_spec);
  TIconImage icon;
  icon.LoadFromBytes(bytes);
  TDib target(4, 4, 24);
  icon.DrawOnto(target, 1, 1);
  EXPECT_EQ(target.PixelColor(0, 0), 0u);
  EXPECT_EQ(target.PixelColor(3, 2), icon_spec.Pixel(2, 1));
  EXPECT_EQ(target.PixelColor(1, 1), icon_spec.Pixel(0, 0));  // masked: XOR over black

  // The same picture at 32 bits with alpha 0 in the left half and 255 in the right.
  Bytes b;
  Put16(b, 0);
  Put16(b, 1);
  Put16(b, 1);
  for (int v : {2, 1, 0, 0}) b.push_back(static_cast<std::uint8_t>(v));
  Put32(b, 0);
  Put32(b, 40 + 8 + 4);
  Put32(b, 22);
  for (std::uint32_t v : {40u, 2u, 2u}) Put32(b, v);
  Put16(b, 1);
  Put16(b, 32);
  for (int i = 0; i < 6; ++i) Put32(b, 0);
  Append(b, {10, 20, 30, 0, 40, 50, 60, 255});
  Append(b, {0, 0, 0, 0});
  TIconImage alpha;
  alpha.LoadFromBytes(b);
  TDib back(2, 1, 24);
  back.ScanLine(0)[0] = 7;
  alpha.DrawOnto(back, 0, 0);
  EXPECT_EQ(back.ScanLine(0)[0], 7);
  EXPECT_EQ(back.PixelColor(1, 0), Rgb(60, 50, 40));
}

TEST(IconList, AnEmptyEntryStreamsAsSizeZeroAndReadsBackEmpty) {
  const TIconImage first = MakeIcon(1);
  const TIconImage third = MakeIcon(3, 8);
  TIconList list;
  list.Add(&first);
  list.Add(nullptr);
  TIconImage blank;
  list.Add(&blank);
  list.Add(&third);
  TMemoryStream stream;
  list.SaveToStream(stream);
  const Bytes& b = stream.Bytes();
  ASSERT_GE(b.size(), 8u);
  EXPECT_EQ(b[0], 4);
  const std::size_t first_size = first.Bytes().size();
  EXPECT_EQ(b[4] | b[5] << 8, static_cast<int>(first_size));
  EXPECT_EQ(Bytes(b.begin() + 8 + first_size, b.begin() + 16 + first_size), Bytes(8, 0));

  TIconList copy;
  stream.SetPosition(0);
  copy.LoadFromStream(stream);
  ASSERT_EQ(copy.Count(), 4);
  EXPECT_EQ(copy.Get(0)->Bytes(), first.Bytes());
  EXPECT_EQ(copy.Get(1), nullptr);
  EXPECT_EQ(copy.Get(2), nullptr);
  EXPECT_EQ(copy.Get(3)->Bytes(), third.Bytes());
}

TEST(IconList, LoadingRefusesSizesBeyondTheDataAndBadIcons) {
  TIconList list;
  const TIconImage icon = MakeIcon(2);
  list.Add(&icon);
  TMemoryStream too_big(Values({1, 0x7FFFFFFF}));
  EXPECT_THROW(list.LoadFromStream(too_big), EReadError);
  Bytes bad = Values({1, 4});
  Append(bad, {1, 2, 3, 4});
  TMemoryStream bad_icon(bad);
  EXPECT_THROW(list.LoadFromStream(bad_icon), EInvalidGraphic);
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.UpdateCount(), 0);
}

TEST(IconList, ChangesAreReportedOnceOutsideUpdateBrackets) {
  TIconList list;
  int changes = 0;
  list.OnChange = [&](TObject* sender) {
    EXPECT_EQ(sender, &list);
    ++changes;
  };
  const TIconImage a = MakeIcon(1), b = MakeIcon(2);
  list.Add(&a);
  list.Add(&b);
  EXPECT_EQ(changes, 2);
  list.BeginUpdate();
  list.Exchange(0, 1);
  list.Move(0, 1);
  list.Put(2, &a);  // appends
  EXPECT_EQ(changes, 2);
  list.EndUpdate();
  EXPECT_EQ(changes, 3);
  ASSERT_EQ(list.Count(), 3);
  EXPECT_EQ(list.Get(0)->Bytes(), a.Bytes());
  EXPECT_EQ(list.Get(1)->Bytes(), b.Bytes());

  // An icon in the list reports its own changes through the list; a deleted one no longer.
  TIconImage* owned = list.Get(1);
  owned->Assign(a);
  EXPECT_EQ(changes, 4);
  list.Clear();
  EXPECT_EQ(changes, 5);
  EXPECT_EQ(list.IndexOf(owned), -1);
  EXPECT_THROW(list.Get(0), EListError);
  EXPECT_THROW(list.Put(1, &a), EListError);
}

TEST(IconList, PutFillsAnEmptySlotAndInsertPlacesEntries) {
  TIconList list;
  list.Add(nullptr);
  const TIconImage a = MakeIcon(5), b = MakeIcon(6);
  list.Put(0, &a);
  ASSERT_NE(list.Get(0), nullptr);
  EXPECT_EQ(list.Get(0)->Bytes(), a.Bytes());
  list.Insert(0, &b);
  list.Insert(2, nullptr);
  EXPECT_EQ(list.Get(0)->Bytes(), b.Bytes());
  EXPECT_EQ(list.IndexOf(list.Get(1)), 1);
  EXPECT_EQ(list.Get(2), nullptr);
  list.Delete(0);
  EXPECT_EQ(list.Count(), 2);
  EXPECT_EQ(list.Get(0)->Bytes(), a.Bytes());
}

TEST(IconList, AssignCopiesListsAndIconsAndStoresAsIcons) {
  const TIconImage a = MakeIcon(1), b = MakeIcon(2);
  TIconList source;
  source.Add(&a);
  source.Add(&b);
  TIconList target;
  target.Assign(source);
  ASSERT_EQ(target.Count(), 2);
  EXPECT_NE(target.Get(0), source.Get(0));
  target.Assign(b);
  ASSERT_EQ(target.Count(), 1);
  EXPECT_EQ(target.Get(0)->Bytes(), b.Bytes());

  RecordingFiler filer;
  source.DefineProperties(filer);
  ASSERT_EQ(filer.written.count("Icons"), 1u);
  TMemoryStream stored(filer.written["Icons"]);
  target.LoadFromStream(stored);
  EXPECT_EQ(target.Count(), 2);
  RecordingFiler empty_filer;
  TIconList().DefineProperties(empty_filer);
  EXPECT_TRUE(empty_filer.written.empty());
}

}  // namespace
}  // namespace tw
