#pragma once
// The built program run as a user runs it, seen from outside: its windows found by class, their
// sizes, its toolbar buttons read and clicked through its own memory, and the layout it keeps
// under HKEY_CURRENT_USER\Software\Tarn_Wick\Window.
#include <windows.h>
#include <commctrl.h>

#include <map>
#include <string>
#include <vector>

#include "tests/support/win/started_program.h"

namespace tw::test {

inline constexpr char kLayoutKey[] = "Software\\Tarn_Wick";
inline constexpr char kWindowKey[] = "Software\\Tarn_Wick\\Window";

// Positions of the buttons on their bars.
inline constexpr int kCommandBarButtons = 18;
inline constexpr int kExploreButton = 15;
inline constexpr int kViewBarButtons = 11;
inline constexpr int kBigIconsButton = 2;
inline constexpr int kReportButton = 5;

std::vector<HWND> Descendants(HWND parent, const std::string& class_name);
RECT WindowRect(HWND window);
inline int WidthOf(HWND window) { return WindowRect(window).right - WindowRect(window).left; }
inline int HeightOf(HWND window) { return WindowRect(window).bottom - WindowRect(window).top; }

// The values stored under the program's key, so that a test can put them back.
std::map<std::string, std::string> StoredValues();
void WriteValues(const std::map<std::string, std::string>& values);

// One run of the program, found by its main window once it is laid out.
class RunningProgram {
public:
  RunningProgram();
  RunningProgram(const RunningProgram&) = delete;
  RunningProgram& operator=(const RunningProgram&) = delete;

  HWND Window() const { return window_; }
  // The window is maximised and its panes fill the client area down to the status bar.
  bool LaidOut() const;
  // Closes the main window and waits for a clean end.
  void Close();

  // The tree pane: the leftmost panel on the window itself.
  HWND TreePane() const;
  // The toolbar with COUNT buttons (the command bar has 18, the view bar 11).
  HWND ToolBar(int count) const;
  HWND StatusBar() const;

  // Button INDEX of BAR, read through the program's own memory.
  TBBUTTON Button(HWND bar, int index) { return Remote<TBBUTTON>(bar, TB_GETBUTTON, index); }
  RECT ButtonRect(HWND bar, int index) { return Remote<RECT>(bar, TB_GETITEMRECT, index); }
  bool Checked(HWND bar, int index) { return (Button(bar, index).fsState & TBSTATE_CHECKED) != 0; }

  // A left click on button INDEX of BAR.
  void Click(HWND bar, int index);
  // Drags SPLITTER by DX, DY pixels.
  void Drag(HWND splitter, int dx, int dy);

  // Sends MSG with a pointer to a T (holding VALUE) in the program's memory and reads the T back.
  template <class T>
  T Remote(HWND window, UINT msg, WPARAM wparam, T value = T{}) {
    void* remote = VirtualAllocEx(program_.Process(), nullptr, sizeof(T), MEM_COMMIT, PAGE_READWRITE);
    if (!remote) return value;
    WriteProcessMemory(program_.Process(), remote, &value, sizeof(T), nullptr);
    SendMessageA(window, msg, wparam, reinterpret_cast<LPARAM>(remote));
    ReadProcessMemory(program_.Process(), remote, &value, sizeof(T), nullptr);
    VirtualFreeEx(program_.Process(), remote, 0, MEM_RELEASE);
    return value;
  }

private:
  StartedProgram program_;
  HWND window_ = nullptr;
};

}  // namespace tw::test
