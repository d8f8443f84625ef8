#pragma once
// TWinMinMaxInfo: optional limits for a form's window (maximised position and size, minimum and
// maximum tracking size), applied through WM_GETMINMAXINFO. A zero value leaves the system's.

#include <array>

#include "framework/persistent.h"

namespace tw {

class TFormPlacement;

class TWinMinMaxInfo : public TPersistent {
public:
  explicit TWinMinMaxInfo(TFormPlacement* owner) : owner_(owner) {}
  std::string ClassName() const override { return "TWinMinMaxInfo"; }

  // Indexes into the record, in this order.
  enum : int { MaxPosLeftIndex, MaxPosTopIndex, MaxSizeHeightIndex, MaxSizeWidthIndex,
               MaxTrackHeightIndex, MaxTrackWidthIndex, MinTrackHeightIndex, MinTrackWidthIndex };

  int GetMinMaxInfo(int index) const { return values_.at(static_cast<std::size_t>(index)); }
  // A different value tells the owner placement.
  void SetMinMaxInfo(int index, int value);
  // Any value non-zero.
  bool DefaultMinMaxInfo() const;
  bool IsSet() const { return !DefaultMinMaxInfo(); }

  int MaxPosLeft() const { return GetMinMaxInfo(MaxPosLeftIndex); }
  int MaxPosTop() const { return GetMinMaxInfo(MaxPosTopIndex); }
  int MaxSizeHeight() const { return GetMinMaxInfo(MaxSizeHeightIndex); }
  int MaxSizeWidth() const { return GetMinMaxInfo(MaxSizeWidthIndex); }
  int MaxTrackHeight() const { return GetMinMaxInfo(MaxTrackHeightIndex); }
  int MaxTrackWidth() const { return GetMinMaxInfo(MaxTrackWidthIndex); }
  int MinTrackHeight() const { return GetMinMaxInfo(MinTrackHeightIndex); }
  int MinTrackWidth() const { return GetMinMaxInfo(MinTrackWidthIndex); }
  void SetMaxPosLeft(int v) { SetMinMaxInfo(MaxPosLeftIndex, v); }
  void SetMaxPosTop(int v) { SetMinMaxInfo(MaxPosTopIndex, v); }
  void SetMaxSizeHeight(int v) { SetMinMaxInfo(MaxSizeHeightIndex, v); }
  void SetMaxSizeWidth(int v) { SetMinMaxInfo(MaxSizeWidthIndex, v); }
  void SetMaxTrackHeight(int v) { SetMinMaxInfo(MaxTrackHeightIndex, v); }
  void SetMaxTrackWidth(int v) { SetMinMaxInfo(MaxTrackWidthIndex, v); }
  void SetMinTrackHeight(int v) { SetMinMaxInfo(MinTrackHeightIndex, v); }
  void SetMinTrackWidth(int v) { SetMinMaxInfo(MinTrackWidthIndex, v); }

  // From another TWinMinMaxInfo: all eight values, then the owner is told once.
  void Assign(const TPersistent& source) override;

private:
  TFormPlacement* owner_;
  std::array<int, 8> values_{};
};

}  // namespace tw
