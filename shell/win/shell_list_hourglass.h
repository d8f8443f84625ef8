#pragma once
// Shows the hourglass around slow shell work and gives the screen its remembered cursor back,
// also when an exception passes.

#include "framework/win/application.h"

namespace tw {

class TShellListHourglass {
public:
  TShellListHourglass() : saved_(Screen ? Screen->Cursor() : crDefault) {
    if (Screen) Screen->SetCursor(crHourGlass);
  }
  ~TShellListHourglass() {
    if (Screen) Screen->SetCursor(saved_);
  }
  TShellListHourglass(const TShellListHourglass&) = delete;
  TShellListHourglass& operator=(const TShellListHourglass&) = delete;

private:
  TCursor saved_;
};

}  // namespace tw
