#include "app/preview_rules.h"

#include <gtest/gtest.h>

#include "framework/graphic.h"
#include "framework/picture_registry.h"

namespace tw {
namespace {

TEST(PreviewRulesTest, PictureExtensionsMatchInAnyLetterCase) {
  for (const char* path : {"C:\\pics\\photo.jpeg", "C:\\pics\\PHOTO.JPEG", "a.Jpg", "b.bmp", "c.ICO",
                           "d.wmf", "e.Emf", "f.gif", "Z:/unix/style/g.GIF"}) {
    EXPECT_TRUE(IsPictureFile(path)) << path;
  }
}

TEST(PreviewRulesTest, OnlyTheLastExtensionOfTheFileNameCounts) {
  // archive.gif.txt is text; a dot in a folder name gives no extension to a file without one.
  for (const char* path : {"C:\\dir\\archive.gif.txt", "C:\\dir\\README", "C:\\pics.gif\\README",
                           "C:\\dir\\photo.jpe", "C:\\dir\\photo.jpeg2", "C:\\dir\\photo.", "C:\\dir\\gif",
                           "C:\\dir\\photo.jpeg ", "C:.gif\\x", ""}) {
    EXPECT_FALSE(IsPictureFile(path)) << path;
  }
  // A name that is only an extension still has one.
  EXPECT_TRUE(IsPictureFile("C:\\dir\\.gif"));
}

TEST(PreviewRulesTest, ExtensionsWithARegisteredPictureFormatArePictures) {
  EXPECT_FALSE(IsPictureFile("C:\\pics\\scan.Tiff"));
  RegisterFileFormat("tiff", "TIFF", {"TRegisteredPicture", [] { return std::unique_ptr<TGraphic>(); }});
  EXPECT_TRUE(IsPictureFile("C:\\pics\\scan.Tiff"));
  EXPECT_FALSE(IsPictureFile("C:\\pics\\scan.tif"));
  UnregisterGraphicClass("TRegisteredPicture");
  EXPECT_FALSE(IsPictureFile("C:\\pics\\scan.Tiff"));
}

TEST(PreviewRulesTest, ExtensionStartsAtTheLastDotAfterTheLastDelimiterOrDriveColon) {
  EXPECT_EQ(FileExtension("C:\\a.b\\c.tar.gz"), ".gz");
  EXPECT_EQ(FileExtension("C:\\a.b\\c"), "");
  EXPECT_EQ(FileExtension("C:c.txt"), ".txt");
  EXPECT_EQ(FileExtension("a.b/c"), "");
}

TEST(PreviewRulesTest, TitleSplitsIntoNameAndFolderWithItsTrailingDelimiter) {
  EXPECT_EQ(FileNamePart("C:\\dir\\a.txt"), "a.txt");
  EXPECT_EQ(FolderPart("C:\\dir\\a.txt"), "C:\\dir\\");
  EXPECT_EQ(FolderPart("C:\\a.txt"), "C:\\");
  EXPECT_EQ(FileNamePart("C:a.txt"), "a.txt");
  EXPECT_EQ(FolderPart("C:a.txt"), "C:");
  EXPECT_EQ(FileNamePart("\\\\server\\share\\doc.txt"), "doc.txt");
  EXPECT_EQ(FolderPart("\\\\server\\share\\doc.txt"), "\\\\server\\share\\");
  // A title without a folder (nothing previewed yet, or a bare name) proposes no folder.
  EXPECT_EQ(FileNamePart("a.txt"), "a.txt");
  EXPECT_EQ(FolderPart("a.txt"), "");
  EXPECT_EQ(FileNamePart(""), "");
  EXPECT_EQ(FolderPart(""), "");
}

}  // namespace
}  // namespace tw
