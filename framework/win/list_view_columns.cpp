// TListColumn and TListColumns: the report view's columns.
#include "framework/win/list_view.h"

namespace tw {
namespace {

int ColumnFormat(TAlignment alignment) {
  switch (alignment) {
    case taRightJustify: return LVCFMT_RIGHT;
    case taCenter: return LVCFMT_CENTER;
    default: return LVCFMT_LEFT;
  }
}

}  // namespace

TListColumn::TListColumn(TListColumns* owner) : owner_(owner) {}

int TListColumn::Index() const { return owner_->IndexOf(this); }

void TListColumn::UpdateColumn(UINT mask) const {
  TCustomListView* view = owner_->Owner();
  if (!view->HandleAllocated() || owner_->update_count_ > 0) return;
  LVCOLUMNA column{};
  column.mask = mask;
  column.pszText = const_cast<char*>(caption_.c_str());
  column.cx = width_;
  column.fmt = ColumnFormat(alignment_);
  SendMessageA(view->Handle(), LVM_SETCOLUMNA, Index(), reinterpret_cast<LPARAM>(&column));
}

void TListColumn::SetCaption(const std::string& value) {
  caption_ = value;
  UpdateColumn(LVCF_TEXT);
}

int TListColumn::Width() const {
  TCustomListView* view = owner_->Owner();
  if (view->HandleAllocated() && owner_->update_count_ == 0) {
    int width = static_cast<int>(SendMessageA(view->Handle(), LVM_GETCOLUMNWIDTH, Index(), 0));
    if (width > 0) width_ = width;
  }
  return width_;
}

void TListColumn::SetWidth(int value) {
  width_ = value;
  UpdateColumn(LVCF_WIDTH);
}

void TListColumn::SetAlignment(TAlignment value) {
  alignment_ = value;
  UpdateColumn(LVCF_FMT);
}

TListColumns::TListColumns(TCustomListView* owner) : owner_(owner) {}

TListColumns::~TListColumns() = default;

int TListColumns::IndexOf(const TListColumn* column) const {
  for (std::size_t i = 0; i < columns_.size(); ++i)
    if (columns_[i].get() == column) return static_cast<int>(i);
  return -1;
}

void TListColumns::InsertIntoControl(int index) {
  if (!owner_->HandleAllocated()) return;
  const TListColumn& source = *columns_[index];
  LVCOLUMNA column{};
  column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
  column.pszText = const_cast<char*>(source.caption_.c_str());
  column.cx = source.width_;
  column.fmt = ColumnFormat(source.alignment_);
  column.iSubItem = index;
  SendMessageA(owner_->Handle(), LVM_INSERTCOLUMNA, index, reinterpret_cast<LPARAM>(&column));
}

TListColumn* TListColumns::Add() {
  columns_.push_back(std::make_unique<TListColumn>(this));
  if (update_count_ == 0) InsertIntoControl(Count() - 1);
  return columns_.back().get();
}

void TListColumns::Delete(int index) {
  if (index < 0 || index >= Count()) return;
  if (owner_->HandleAllocated() && update_count_ == 0)
    SendMessageA(owner_->Handle(), LVM_DELETECOLUMN, index, 0);
  columns_.erase(columns_.begin() + index);
}

void TListColumns::Clear() {
  if (owner_->HandleAllocated() && update_count_ == 0)
    for (int i = Count() - 1; i >= 0; --i) SendMessageA(owner_->Handle(), LVM_DELETECOLUMN, i, 0);
  columns_.clear();
}

void TListColumns::BeginUpdate() {
  if (update_count_ == 0 && owner_->HandleAllocated()) {
    // Widths the user dragged are taken in before the control's columns go.
    for (auto& column : columns_) column->Width();
    for (int i = Count() - 1; i >= 0; --i) SendMessageA(owner_->Handle(), LVM_DELETECOLUMN, i, 0);
  }
  ++update_count_;
}

void TListColumns::EndUpdate() {
  if (update_count_ == 0 || --update_count_ > 0) return;
  // The control's columns were dropped at BeginUpdate; they come back as they are now.
  if (owner_->HandleAllocated())
    for (int i = 0; i < Count(); ++i) InsertIntoControl(i);
}

}  // namespace tw
