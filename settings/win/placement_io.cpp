#include "settings/win/placement_io.h"
#include "framework/win/wide_text.h"

#include <windows.h>

#include <exception>

#include "framework/string_table.h"
#include "framework/text.h"
#include "framework/win/application.h"
#include "framework/win/custom_ini_file.h"
#include "framework/win/form.h"
#include "settings/property_text.h"
#include "settings/word_text.h"

namespace tw {

namespace {

struct DefaultNameSettings {
  std::string company;
  bool use_title = false;
  std::function<std::string()> ini_file_name;
};

DefaultNameSettings& NameSettings() {
  static DefaultNameSettings settings;
  return settings;
}

// Window co-ordinates beyond the 16-bit range are no placement any screen can show.
constexpr int kCoordinateLimit = 32767;

// Reads each value on its own; a failing read gives the default and is kept for the end.
class TolerantReader {
public:
  TolerantReader(TCustomIniFile& store, const std::string& section) : store_(store), section_(section) {}

  std::string String(const std::string& ident, const std::string& default_value) {
    try {
      return store_.ReadString(section_, ident, default_value);
    } catch (...) {
      if (!failure_) failure_ = std::current_exception();
      return default_value;
    }
  }
  int Integer(const std::string& ident, int default_value) {
    std::int32_t value = 0;
    return ParseIntegerText(Trim(String(ident, "")), value) ? value : default_value;
  }
  void ThrowFirstFailure() const {
    if (failure_) std::rethrow_exception(failure_);
  }

private:
  TCustomIniFile& store_;
  const std::string& section_;
  std::exception_ptr failure_;
};

int Word(int n, const std::string& text, int default_value) {
  std::int32_t value = 0;
  return ParseIntegerText(GetWord(n, text, " ,"), value) ? value : default_value;
}

std::string ProgramFileName() {
  std::string name = ModuleFileName();
  if (const std::size_t slash = name.find_last_of("\\/:"); slash != std::string::npos) name.erase(0, slash + 1);
  return name;
}

std::string WithoutExtension(const std::string& name) {
  const std::size_t dot = name.rfind('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}

bool Plausible(const RECT& r) {
  return r.left >= -kCoordinateLimit && r.top >= -kCoordinateLimit && r.right <= kCoordinateLimit &&
         r.bottom <= kCoordinateLimit;
}

}  // namespace

std::string ResolutionSuffix() { return Format("(%dx%d)", Screen->Width(), Screen->Height()); }

void WritePlacement(TForm* Form, TCustomIniFile& Store, const std::string& Section) {
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  GetWindowPlacement(Form->Handle(), &placement);
  if (Form == Application->MainForm() && IsIconic(Application->Handle())) placement.showCmd = SW_SHOWMINIMIZED;
  Store.WriteInteger(Section, "Flags", static_cast<int>(placement.flags));
  Store.WriteInteger(Section, "ShowCmd", static_cast<int>(placement.showCmd));
  Store.WriteInteger(Section, "PixelsPerInch", Screen->PixelsPerInch());
  const std::string suffix = ResolutionSuffix();
  const std::string min_max = Format("%d,%d,%d,%d", static_cast<int>(placement.ptMinPosition.x),
                                     static_cast<int>(placement.ptMinPosition.y),
                                     static_cast<int>(placement.ptMaxPosition.x),
                                     static_cast<int>(placement.ptMaxPosition.y));
  const RECT& r = placement.rcNormalPosition;
  const std::string normal = Format("%d,%d,%d,%d", static_cast<int>(r.left), static_cast<int>(r.top),
                                    static_cast<int>(r.right), static_cast<int>(r.bottom));
  Store.WriteString(Section, "MinMaxPos" + suffix, min_max);
  Store.WriteString(Section, "MinMaxPos", min_max);
  Store.WriteString(Section, "NormPos" + suffix, normal);
  Store.WriteString(Section, "NormPos", normal);
}

void ReadPlacement(TForm* Form, TCustomIniFile& Store, const std::string& Section, bool LoadState,
                   bool LoadPosition) {
  if (!LoadState && !LoadPosition) return;
  TolerantReader read(Store, Section);
  HWND window = Form->Handle();
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  GetWindowPlacement(window, &placement);
  if (!IsWindowVisible(window)) placement.showCmd = SW_HIDE;

  if (LoadPosition) {
    bool found = false;
    placement.flags = static_cast<UINT>(read.Integer("Flags", static_cast<int>(placement.flags)));
    const std::string suffix = ResolutionSuffix();
    std::string text = read.String("MinMaxPos" + suffix, "");
    if (text.empty()) text = read.String("MinMaxPos", "");
    if (!text.empty()) {
      placement.ptMinPosition = {Word(1, text, 0), Word(2, text, 0)};
      placement.ptMaxPosition = {Word(3, text, 0), Word(4, text, 0)};
      found = true;
    }
    text = read.String("NormPos" + suffix, "");
    if (text.empty()) text = read.String("NormPos", "");
    if (!text.empty()) {
      placement.rcNormalPosition = {Word(1, text, Form->Left()), Word(2, text, Form->Top()),
                                    Word(3, text, Form->Left() + Form->Width()),
                                    Word(4, text, Form->Top() + Form->Height())};
      found = true;
    }
    if (found && read.Integer("PixelsPerInch", Screen->PixelsPerInch()) == Screen->PixelsPerInch()) {
      RECT& r = placement.rcNormalPosition;
      if (Form->BorderStyle() != bsSizeable && Form->BorderStyle() != bsSizeToolWin)
        r = {r.left, r.top, r.left + Form->Width(), r.top + Form->Height()};
      if (r.left < r.right && r.top < r.bottom && Plausible(r)) {
        if (Form->Position() == poScreenCenter) Form->SetPosition(poDesigned);
        SetWindowPlacement(window, &placement);
      }
    }
  }

  if (LoadState) {
    const bool main_form = Form == Application->MainForm();
    TWindowState state = main_form && Form->Position() == poDefault ? wsMaximized : wsNormal;
    switch (read.Integer("ShowCmd", SW_HIDE)) {
      case SW_SHOWNORMAL: case SW_SHOW: case SW_RESTORE: state = wsNormal; break;
      case SW_SHOWMINIMIZED: case SW_MINIMIZE: case SW_SHOWMINNOACTIVE: state = wsMinimized; break;
      case SW_SHOWMAXIMIZED: state = wsMaximized; break;
      default: break;
    }
    if (state == wsMinimized && main_form) {
      // The application window carries the minimised program; the form itself stays normal.
      if (!IsWindowVisible(window)) Form->SetWindowState(wsNormal);
      PostMessageA(Application->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
      read.ThrowFirstFailure();
      return;
    }
    Form->SetWindowState(state);
  }
  Form->Update();
  read.ThrowFirstFailure();
}

std::string DefaultRegistryKey() {
  const DefaultNameSettings& settings = NameSettings();
  std::string name = settings.use_title ? Application->Title() : std::string();
  if (name.empty()) name = WithoutExtension(ProgramFileName());
  std::string key = "Software\\";
  if (!settings.company.empty()) key += settings.company + "\\";
  return key + name;
}

std::string DefaultIniFileName() {
  if (NameSettings().ini_file_name) return NameSettings().ini_file_name();
  return WithoutExtension(ProgramFileName()) + ".INI";
}

std::string DefaultSectionName(TComponent* Component) {
  if (!Component) return {};
  if (auto* form = dynamic_cast<TForm*>(Component)) return form->ClassName();
  if (auto* control = dynamic_cast<TControl*>(Component)) {
    if (TForm* form = control->GetParentForm()) return form->ClassName() + control->Name();
    if (TWinControl* parent = control->Parent()) return parent->Name() + control->Name();
    return control->Name();
  }
  if (auto* form = dynamic_cast<TForm*>(Component->Owner()))
    return Format("%s.%s", form->ClassName(), Component->Name());
  return Component->Name();
}

void SetDefaultCompanyName(const std::string& name) { NameSettings().company = name; }
void SetUseApplicationTitle(bool value) { NameSettings().use_title = value; }
void SetDefaultIniFileNameCallback(std::function<std::string()> callback) {
  NameSettings().ini_file_name = std::move(callback);
}

}  // namespace tw
