// The stored layout: the pane sizes with the density they were taken at, the list's view, the
// view buttons and the "Explore" toggle under HKEY_CURRENT_USER\Software\Tarn_Wick, section
// "Window", and the combo that follows the tree pane's width.
#include <cstdlib>
#include <optional>
#include <string>

#include "app/win/main_form.h"
#include "framework/win/panel.h"
#include "framework/win/splitter.h"
#include "settings/win/form_storage.h"
#include "shell/win/shell_combo.h"

namespace tw {
namespace {

// TEXT as the registry store reads an integer: decimal, or hexadecimal after "0x"; nothing when
// it is not a number.
std::optional<long> StoredNumber(const std::string& text) {
  const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  const char* digits = text.c_str() + (hex ? 2 : 0);
  char* end = nullptr;
  const long value = std::strtol(digits, &end, hex ? 16 : 10);
  if (end == digits || *end != '\0') return std::nullopt;
  return value;
}

// Whether TEXT is a show command the placement restores a state from (1, 5, 9 normal; 2, 6, 7
// minimised; 3 maximised).
bool IsRestoredShowCommand(const std::string& text) {
  switch (StoredNumber(text).value_or(0)) {
    case 1: case 2: case 3: case 5: case 6: case 7: case 9: return true;
    default: return false;
  }
}

// The density the stored pane sizes were taken at: 96 for a layout stored before densities were
// kept, and for a value no screen has.
int LayoutPixelsPerInch(const std::string& text) {
  const long value = StoredNumber(text).value_or(96);
  return value >= 24 && value <= 2400 ? static_cast<int>(value) : 96;
}

constexpr char kLayoutPixelsPerInch[] = "LayoutPixelsPerInch";

}  // namespace

void TMainForm::CreateFormStorage() {
  FormStorage1 = new TFormStorage(this);
  FormStorage1->SetName("FormStorage1");
  FormStorage1->SetIniFileName("Software\\Tarn_Wick");
  FormStorage1->SetIniSection("Window");
  FormStorage1->SetUseRegistry(true);
  for (const char* line : {"Panel1.Width", "Panel3.Height", "PTShellList1.ViewStyle", "ToolButton15.Down",
                           "ToolButton16.Down", "ToolButton17.Down", "ToolButton18.Down",
                           "ToolButton39.Down"})
    FormStorage1->StoredProps().Add(line);
  FormStorage1->OnRestorePlacement = [this](TObject* sender) { FormStorage1RestorePlacement(sender); };
  // The pane sizes are stored in pixels; the density beside them lets another screen restore
  // them at the same physical size.
  FormStorage1->OnSavePlacement = [this](TObject*) {
    FormStorage1->WritePlacementString(FormStorage1->IniSection(), kLayoutPixelsPerInch,
                                       std::to_string(PixelsPerInch()));
  };
}

void TMainForm::FormStorage1RestorePlacement(TObject*) {
  // The placement restores a normal state when it finds no show command: that is the first
  // start, which opens maximised as designed.
  if (!IsRestoredShowCommand(FormStorage1->ReadPlacementString(FormStorage1->IniSection(), "ShowCmd", "")))
    SetWindowState(wsMaximized);
  const std::string section = FormStorage1->IniSection();
  const int stored = LayoutPixelsPerInch(FormStorage1->ReadPlacementString(section, kLayoutPixelsPerInch, ""));
  if (stored != PixelsPerInch()) {
    // Only sizes read from the store are in its density; the others are design sizes already.
    if (!FormStorage1->ReadPlacementString(section, "Panel1_Width", "").empty())
      Panel1->SetWidth(MulDiv(Panel1->Width(), PixelsPerInch(), stored));
    if (!FormStorage1->ReadPlacementString(section, "Panel3_Height", "").empty())
      Panel3->SetHeight(MulDiv(Panel3->Height(), PixelsPerInch(), stored));
  }
  // An unreadable number is restored as 0, a size no splitter drag can make.
  if (Panel1->Width() < Splitter1->MinSize()) Panel1->SetWidth(Scaled(kTreePaneWidth));
  if (Panel3->Height() < Splitter2->MinSize()) Panel3->SetHeight(Scaled(kListPaneHeight));
}

void TMainForm::Panel1Resize(TObject*) { PTShellCombo1->SetWidth(Panel1->Width() - Scaled(5)); }

}  // namespace tw
