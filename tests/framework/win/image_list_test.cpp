#include "framework/win/image_list.h"

#include <gtest/gtest.h>

#include "framework/win/bitmap.h"
#include "framework/win/form.h"
#include "framework/win/tree_view.h"

namespace tw {
namespace {

ScopedBitmap SolidBitmap(int width, int height, COLORREF color) {
  TBitmap bitmap;
  bitmap.SetPixelFormat(pf24bit);
  bitmap.SetSize(width, height);
  bitmap.Canvas().Brush().SetColor(static_cast<TColor>(color));
  bitmap.Canvas().FillRect(Rect(0, 0, width, height));
  return ScopedBitmap(bitmap.ReleaseHandle());
}

TEST(ImageList, ImagesOfTheListsSizeAreAddedAndDrawn) {
  TImageList list(nullptr, 16, 16);
  EXPECT_EQ(list.Count(), 0);
  ScopedBitmap red = SolidBitmap(16, 16, RGB(255, 0, 0));
  EXPECT_EQ(list.Add(red.Get(), nullptr), 0);
  EXPECT_EQ(list.AddMasked(red.Get(), RGB(0, 0, 0)), 1);
  EXPECT_EQ(list.Count(), 2);
  TBitmap target;
  target.SetPixelFormat(pf24bit);
  target.SetSize(20, 20);
  list.Draw(target.Canvas(), 2, 2, 0);
  EXPECT_EQ(GetPixel(target.Canvas().Handle(), 5, 5), RGB(255, 0, 0));
  list.Delete(0);
  EXPECT_EQ(list.Count(), 1);
  list.SetSize(32, 32);
  EXPECT_EQ(list.Count(), 0) << "images of the old size go with a new size";
  int cx = 0, cy = 0;
  ImageList_GetIconSize(list.Handle(), &cx, &cy);
  EXPECT_EQ(cx, 32);
}

TEST(ImageList, SharedHandlesAreNeverDestroyed) {
  HIMAGELIST foreign = ImageList_Create(24, 24, ILC_COLOR24, 1, 1);
  ScopedBitmap blue = SolidBitmap(24, 24, RGB(0, 0, 255));
  ImageList_Add(foreign, blue.Get(), nullptr);
  {
    TImageList list(nullptr);
    list.SetShareImages(true);
    list.SetHandle(foreign);
    EXPECT_EQ(list.Width(), 24) << "the list takes the size of the handle's images";
    EXPECT_EQ(list.Count(), 1);
  }
  EXPECT_EQ(ImageList_GetImageCount(foreign), 1) << "the shared list still exists";
  ImageList_Destroy(foreign);
}

TEST(ImageList, ViewsFollowTheirListsHandleAndItsRemoval) {
  TForm form(nullptr);
  TCustomTreeView tree(nullptr);
  tree.SetParent(&form);
  auto* list = new TImageList(nullptr);
  tree.SetImages(list);
  EXPECT_EQ(TreeView_GetImageList(tree.Handle(), TVSIL_NORMAL), list->Handle());
  int changes = 0;
  TChangeLink link;
  link.OnChange = [&](TObject*) { ++changes; };
  list->RegisterChanges(link);
  HIMAGELIST other = ImageList_Create(16, 16, ILC_COLOR24, 1, 1);
  list->SetHandle(other);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(TreeView_GetImageList(tree.Handle(), TVSIL_NORMAL), other);
  delete list;
  EXPECT_EQ(tree.Images(), nullptr) << "a freed list is let go";
  EXPECT_EQ(TreeView_GetImageList(tree.Handle(), TVSIL_NORMAL), nullptr);
  EXPECT_EQ(link.Sender(), nullptr);
}

}  // namespace
}  // namespace tw
