// The program's entry: the process start-up, the application and its main window, the message
// loop, and the shutdown once the main window has closed. There are no command-line arguments.
#include <windows.h>

#include "app/win/main_form.h"
#include "app/win/program_setup.h"
#include "framework/win/application.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  using namespace tw;
  TProgramSetup setup;
  int exit_code = 0;
  try {
    Application->Initialize();
    Application->SetTitle("Tarnwick 1.0");
    Application->CreateForm<TMainForm>();
    Application->Run();
  } catch (...) {
    Application->HandleException(Application);
    exit_code = 1;
  }
  // The window and its views go before the setup uninitialises OLE and COM under them.
  delete Application->MainForm();
  return exit_code;
}
