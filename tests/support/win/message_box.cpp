#include "tests/support/win/message_box.h"

#include <windows.h>

namespace tw::test {

namespace {

int answer = IDOK;
AnsweredMessageBox last;

std::string WindowText(HWND window) {
  char text[512] = {};
  GetWindowTextA(window, text, sizeof(text));
  return text;
}

BOOL CALLBACK AnswerIfMessageBox(HWND window, LPARAM) {
  char name[16] = {};
  GetClassNameA(window, name, sizeof(name));
  if (std::string(name) != "#32770" || !GetDlgItem(window, answer)) return TRUE;
  // The box shows its text in the static control with id 0xFFFF.
  last = {WindowText(window), WindowText(GetDlgItem(window, 0xFFFF))};
  PostMessageA(window, WM_COMMAND, answer, 0);
  return FALSE;
}

void CALLBACK AnswerMessageBoxTimer(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  EnumThreadWindows(GetCurrentThreadId(), &AnswerIfMessageBox, 0);
}

}  // namespace

void AnswerNextMessageBox(int button) {
  answer = button;
  SetTimer(nullptr, 0, 50, &AnswerMessageBoxTimer);
}

const AnsweredMessageBox& LastAnsweredMessageBox() { return last; }

}  // namespace tw::test
