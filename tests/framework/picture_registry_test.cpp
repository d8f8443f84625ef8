#include "framework/picture_registry.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "framework/exception.h"
#include "framework/graphic.h"
#include "framework/picture.h"
#include "framework/shared_image.h"
#include "framework/stream.h"
#include "tests/support/temp_folder.h"

namespace tw {
namespace {

// A picture format for the tests: its data is the bytes of the stream; data beginning with
// "bad" is refused; the width is the byte count.
class TTestGraphic : public TGraphic {
public:
  std::string ClassName() const override { return "TTestGraphic"; }
  bool Empty() const override { return data_.empty(); }
  int Width() const override { return static_cast<int>(data_.size()); }
  int Height() const override { return 1; }
  void SetWidth(int) override { throw EInvalidGraphicOperation("fixed size"); }
  void SetHeight(int) override { throw EInvalidGraphicOperation("fixed size"); }
  void Draw(TCanvas&, const TRect&) override {}
  void LoadFromStream(TStream& stream) override {
    std::string data(static_cast<std::size_t>(stream.Size() - stream.Position()), '\0');
    stream.ReadBuffer(data.data(), static_cast<std::int64_t>(data.size()));
    Progress(this, psStarting, 0, false, TRect{}, "load");
    if (data.rfind("bad", 0) == 0) throw EInvalidGraphic("refused");
    data_ = data;
    Changed(this);
  }
  void SaveToStream(TStream& stream) override {
    stream.WriteBuffer(data_.data(), static_cast<std::int64_t>(data_.size()));
  }
  void Assign(const TPersistent& source) override {
    if (auto other = dynamic_cast<const TTestGraphic*>(&source)) {
      data_ = other->data_;
      Changed(this);
      return;
    }
    TGraphic::Assign(source);
  }
  void SetData(const std::string& data) {
    data_ = data;
    Changed(this);
  }
  const std::string& Data() const { return data_; }

private:
  std::string data_;
};

class TOtherGraphic : public TTestGraphic {
public:
  std::string ClassName() const override { return "TOtherGraphic"; }
};

const TGraphicClass kTestClass{"TTestGraphic", [] { return std::make_unique<TTestGraphic>(); }};
const TGraphicClass kOtherClass{"TOtherGraphic", [] { return std::make_unique<TOtherGraphic>(); }};

class PictureRegistryTest : public ::testing::Test {
protected:
  void SetUp() override {
    RegisterFileFormat("tst", "Test picture", kTestClass);
    RegisterFileFormat("TsX", "Test picture", kTestClass);
    RegisterGraphicClipboardFormat(0xC123, kTestClass);
  }
  void TearDown() override {
    UnregisterGraphicClass("TTestGraphic");
    UnregisterGraphicClass("TOtherGraphic");
  }
  test::TempFolder folder_;
};

std::string MessageOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const EInvalidGraphic& e) {
    return e.Message();
  }
  return "no failure";
}

TEST_F(PictureRegistryTest, ExtensionsMatchInAnyLetterCase) {
  EXPECT_EQ(GraphicClassForExtension("tst").Name, "TTestGraphic");
  EXPECT_EQ(GraphicClassForExtension("TST").Name, "TTestGraphic");
  EXPECT_EQ(GraphicClassForExtension("tsx").Name, "TTestGraphic");
  EXPECT_FALSE(FindGraphicClassForExtension("ts"));
  EXPECT_EQ(MessageOf([] { GraphicClassForExtension("Xyz"); }), "Unknown picture file extension (.Xyz)");
}

TEST_F(PictureRegistryTest, LaterRegistrationShadowsUntilUnregistered) {
  RegisterFileFormat("tst", "Other picture", kOtherClass);
  EXPECT_EQ(GraphicClassForExtension("tst").Name, "TOtherGraphic");
  UnregisterGraphicClass("TOtherGraphic");
  EXPECT_EQ(GraphicClassForExtension("tst").Name, "TTestGraphic");
  UnregisterGraphicClass("TTestGraphic");
  EXPECT_FALSE(FindGraphicClassForExtension("tst"));
  EXPECT_FALSE(GraphicClassForClipboardFormat(0xC123));
}

TEST_F(PictureRegistryTest, FilterTextAndClipboardLookup) {
  EXPECT_EQ(GraphicFilter("TTestGraphic"), "Test picture (*.tsx)|*.tsx|Test picture (*.tst)|*.tst");
  EXPECT_EQ(GraphicExtension("TTestGraphic"), "tsx");
  EXPECT_EQ(GraphicClassForClipboardFormat(0xC123)->Name, "TTestGraphic");
  EXPECT_FALSE(GraphicClassForClipboardFormat(0xC124));
  EXPECT_TRUE(TPicture::SupportsClipboardFormat(0xC123));
}

TEST_F(PictureRegistryTest, PictureLoadsByExtensionOfEitherCase) {
  TPicture picture;
  int changes = 0;
  std::vector<std::string> progress;
  picture.OnChange = [&](TObject* sender) {
    EXPECT_EQ(sender, &picture);
    ++changes;
  };
  picture.OnProgress = [&](TObject*, TProgressStage, std::uint8_t, bool, const TRect&, const std::string& msg) {
    progress.push_back(msg);
  };
  picture.LoadFromFile(folder_.Write("a.tst", "hello"));
  ASSERT_NE(picture.Graphic(), nullptr);
  EXPECT_EQ(picture.Graphic()->ClassName(), "TTestGraphic");
  EXPECT_EQ(picture.Width(), 5);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(progress, std::vector<std::string>{"load"});
  picture.LoadFromFile(folder_.Write("B.TST", "hi"));
  EXPECT_EQ(picture.Width(), 2);
  // The loaded graphic's own changes still reach the picture.
  static_cast<TTestGraphic*>(picture.Graphic())->SetData("four");
  EXPECT_EQ(changes, 3);
}

TEST_F(PictureRegistryTest, FailedLoadKeepsThePreviousGraphic) {
  TPicture picture;
  picture.LoadFromFile(folder_.Write("good.tst", "good"));
  TGraphic* before = picture.Graphic();
  int changes = 0;
  picture.OnChange = [&](TObject*) { ++changes; };
  EXPECT_THROW(picture.LoadFromFile(folder_.Write("bad.tst", "bad data")), EInvalidGraphic);
  EXPECT_EQ(MessageOf([&] { picture.LoadFromFile(folder_.Write("archive.tst.txt", "x")); }),
            "Unknown picture file extension (.txt)");
  EXPECT_EQ(MessageOf([&] { picture.LoadFromFile(folder_.Write("dir.tst/README", "x")); }),
            "Unknown picture file extension (.)");
  EXPECT_THROW(picture.LoadFromFile(folder_.File("missing.tst")), EFOpenError);
  EXPECT_EQ(picture.Graphic(), before);
  EXPECT_EQ(picture.Width(), 4);
  EXPECT_EQ(changes, 0);
}

TEST_F(PictureRegistryTest, AssignMakesAnIndependentCopy) {
  TPicture source;
  source.LoadFromFile(folder_.Write("s.tst", "source"));
  TPicture copy;
  copy.Assign(source);
  ASSERT_NE(copy.Graphic(), source.Graphic());
  EXPECT_TRUE(copy.Graphic()->Equals(*source.Graphic()));
  static_cast<TTestGraphic*>(source.Graphic())->SetData("changed");
  EXPECT_EQ(static_cast<TTestGraphic*>(copy.Graphic())->Data(), "source");
  EXPECT_FALSE(copy.Graphic()->Equals(*source.Graphic()));

  TTestGraphic loose;
  loose.SetData("graphic");
  copy.Assign(loose);
  EXPECT_EQ(copy.Width(), 7);
  TPicture empty;
  copy.Assign(empty);
  EXPECT_EQ(copy.Graphic(), nullptr);
  EXPECT_EQ(copy.Width(), 0);
}

TEST_F(PictureRegistryTest, SaveToFileWritesTheGraphic) {
  TPicture picture;
  picture.LoadFromFile(folder_.Write("in.tst", "payload"));
  const std::string out = folder_.File("out.tst");
  picture.SaveToFile(out);
  const auto bytes = test::ReadFileBytes(out);
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "payload");
}

// A filer that records one binary property and can play it back.
class TRecordingFiler : public TFiler {
public:
  void DefineBinaryProperty(const std::string& name, TStreamProc read_data, TStreamProc write_data,
                            bool has_data) override {
    name_ = name;
    if (reading_) {
      stream_.SetPosition(0);
      read_data(stream_);
    } else if (has_data) {
      write_data(stream_);
      written_ = true;
    }
  }
  void StartReading() { reading_ = true; }
  std::string name_;
  bool written_ = false;
  bool reading_ = false;
  TMemoryStream stream_;
};

TEST_F(PictureRegistryTest, PictureDataPropertyRoundTripsThroughClassName) {
  TPicture picture;
  picture.LoadFromFile(folder_.Write("p.tst", "stored"));
  TRecordingFiler filer;
  picture.DefineProperties(filer);
  EXPECT_EQ(filer.name_, "Data");
  ASSERT_TRUE(filer.written_);
  EXPECT_EQ(filer.stream_.Bytes()[0], 12);  // length of "TTestGraphic"

  TPicture back;
  filer.StartReading();
  back.DefineProperties(filer);
  ASSERT_NE(back.Graphic(), nullptr);
  EXPECT_EQ(static_cast<TTestGraphic*>(back.Graphic())->Data(), "stored");

  TPicture empty;
  TRecordingFiler nothing;
  empty.DefineProperties(nothing);
  EXPECT_FALSE(nothing.written_);
}

TEST(GraphicTest, ChangeNotificationsAndDefaults) {
  TTestGraphic graphic;
  int changes = 0;
  graphic.OnChange = [&](TObject* sender) {
    EXPECT_EQ(sender, &graphic);
    ++changes;
  };
  graphic.SetTransparent(true);
  graphic.SetTransparent(true);
  EXPECT_TRUE(graphic.Transparent());
  EXPECT_EQ(changes, 1);
  EXPECT_TRUE(graphic.Modified());
  graphic.SetModified(false);
  EXPECT_FALSE(graphic.Modified());
  EXPECT_EQ(changes, 1);
  graphic.SetModified(true);
  EXPECT_EQ(changes, 2);

  unsigned format = 0;
  std::uintptr_t data = 0, palette = 0;
  EXPECT_THROW(graphic.SaveToClipboardFormat(format, data, palette), EInvalidGraphicOperation);
  EXPECT_THROW(graphic.LoadFromClipboardFormat(1, 0, 0), EInvalidGraphicOperation);
  // Not registered: no way to make another of its class.
  EXPECT_THROW(graphic.NewOfSameClass(), EInvalidGraphic);
}

TEST(GraphicTest, EqualsComparesClassAndData) {
  TTestGraphic a, b;
  TOtherGraphic c;
  a.SetData("same");
  b.SetData("same");
  c.SetData("same");
  EXPECT_TRUE(a.Equals(b));
  EXPECT_FALSE(a.Equals(c));
  b.SetData("diff");
  EXPECT_FALSE(a.Equals(b));
}

class TCountedImage : public TSharedImage {
public:
  explicit TCountedImage(int* freed) : freed_(freed) {}

protected:
  void FreeHandle() override { ++*freed_; }

private:
  int* freed_;
};

TEST(SharedImageTest, LastReferenceFreesTheHandleOnce) {
  int freed = 0;
  {
    TSharedImageRef<TCountedImage> first(new TCountedImage(&freed));
    EXPECT_FALSE(first.Shared());
    {
      TSharedImageRef<TCountedImage> second = first;
      EXPECT_TRUE(first.Shared());
      EXPECT_EQ(second->RefCount(), 2);
      TSharedImageRef<TCountedImage> moved = std::move(second);
      EXPECT_EQ(moved->RefCount(), 2);
    }
    EXPECT_FALSE(first.Shared());
    EXPECT_EQ(freed, 0);
    first = TSharedImageRef<TCountedImage>(new TCountedImage(&freed));
    EXPECT_EQ(freed, 1);
  }
  EXPECT_EQ(freed, 2);
}

}  // namespace
}  // namespace tw
