#pragma once
// TPTCustomImageCombo: an owner-drawn drop-down list whose entries are TPTImageComboItem
// objects: an image from an image list, an indentation and a text. The control keeps no strings
// of its own; each entry's item data is its object, freed when the control deletes the entry.
// The entry in the closed field is drawn without its indentation, and a selected entry shows
// its highlight on the text alone.

#include <functional>
#include <memory>
#include <string>

#include "framework/win/image_list.h"
#include "shell/win/custom_combobox.h"

namespace tw {

class TPTCustomImageCombo;

class TPTImageComboItem : public TObject {
public:
  TPTImageComboItem(TPTCustomImageCombo* combo, const std::string& text, int image_index,
                    int indent);

  std::string ClassName() const override { return "TPTImageComboItem"; }

  TPTCustomImageCombo* Combo() const { return combo_; }
  // The position the entry was given when it was added.
  int Index() const { return index_; }
  int Indent() const { return indent_; }
  int ImageIndex() const { return image_index_; }
  // -1 for none.
  int OverlayIndex() const { return overlay_index_; }
  void SetOverlayIndex(int value);
  const std::string& Text() const { return text_; }
  // The entry's record (a shell combo's TPTShComboData), freed with the entry.
  TObject* Data() const { return data_.get(); }
  void SetData(std::unique_ptr<TObject> data) { data_ = std::move(data); }

private:
  friend class TPTCustomImageCombo;
  TPTCustomImageCombo* combo_;
  int index_ = -1;
  int indent_;
  int image_index_;
  int overlay_index_ = -1;
  std::string text_;
  std::unique_ptr<TObject> data_;
};

using TPTDeleteImageComboItemEvent =
    std::function<void(TObject* aSender, TPTImageComboItem* aItem)>;

class TPTCustomImageCombo : public TPTCustomCombobox {
public:
  explicit TPTCustomImageCombo(TComponent* AOwner);
  ~TPTCustomImageCombo() override;

  std::string ClassName() const override { return "TPTCustomImageCombo"; }

  TCustomImageList* Images() const { return images_; }
  void SetImages(TCustomImageList* value);
  int IndentPixels() const { return indent_pixels_; }
  void SetIndentPixels(int value);

  virtual TPTImageComboItem* AddItem(const std::string& text, int image_index, int indent);
  // The entry at INDEX, or null.
  TPTImageComboItem* ItemAt(int index);

  TPTDeleteImageComboItemEvent OnDeleteItem;

protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void WndProc(TMessage& message) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void DrawItem(int index, const RECT& rect, TOwnerDrawState state) override;
  void DoDeleteItem(TObject* data) override;
  // Deletes every entry (each through DoDeleteItem).
  void DeleteAllItems();

private:
  // The font's character height plus 2, or the images' height when that is larger.
  void UpdateItemHeight(HFONT font);

  TCustomImageList* images_ = nullptr;
  TChangeLink image_change_link_;
  int indent_pixels_ = 12;
  bool auto_item_height_ = true;
};

}  // namespace tw
