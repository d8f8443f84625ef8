#pragma once
// Writing and reading one form's window placement in a settings store (a registry key or an INI
// file), and the default names of the store, its key and its section.

#include <functional>
#include <string>

namespace tw {

class TComponent;
class TCustomIniFile;
class TForm;

// Flags, ShowCmd, PixelsPerInch, and MinMaxPos and NormPos, each under the name with the
// screen's resolution suffix and under the bare name.
void WritePlacement(TForm* Form, TCustomIniFile& Store, const std::string& Section);
// Restores what WritePlacement wrote: the position (LOAD_POSITION) and the window state
// (LOAD_STATE). Every value is read on its own: one that cannot be read (a registry value of
// another type) gives its default, the rest is still restored, and the first such failure is
// thrown at the end.
void ReadPlacement(TForm* Form, TCustomIniFile& Store, const std::string& Section, bool LoadState,
                   bool LoadPosition);

// "(1024x768)" for the current screen: appended to the names of resolution-dependent values.
std::string ResolutionSuffix();

// "Software\" + [company + "\"] + the application title (when SetUseApplicationTitle is on and
// the title is not empty) or the program file's name without extension.
std::string DefaultRegistryKey();
// The result of the replaceable callback, or the program file's name with the extension ".INI".
std::string DefaultIniFileName();
// Empty without a component; a form's class name; a control's form class name followed by its
// name; another component's owner class name and its name ("%s.%s") on a form, else its name.
std::string DefaultSectionName(TComponent* Component);

void SetDefaultCompanyName(const std::string& name);
void SetUseApplicationTitle(bool value);
void SetDefaultIniFileNameCallback(std::function<std::string()> callback);

}  // namespace tw
