#pragma once
// TOpenDialog and TSaveDialog: the system's modal file dialogs. Execute runs the dialog and
// answers true when the user confirmed; FileName is then the chosen file. OnShow fires once the
// dialog is up, with Handle the dialog window.

#include <windows.h>

#include <cstdint>
#include <string>

#include "framework/component.h"
#include "framework/events.h"

namespace tw {

// Bit i is the i-th option of the dialog's option set.
using TOpenOptions = std::uint16_t;
inline constexpr TOpenOptions ofReadOnly = 1 << 0;
inline constexpr TOpenOptions ofOverwritePrompt = 1 << 1;
inline constexpr TOpenOptions ofHideReadOnly = 1 << 2;
inline constexpr TOpenOptions ofNoChangeDir = 1 << 3;
inline constexpr TOpenOptions ofPathMustExist = 1 << 4;
inline constexpr TOpenOptions ofFileMustExist = 1 << 5;
inline constexpr TOpenOptions ofCreatePrompt = 1 << 6;
inline constexpr TOpenOptions ofEnableSizing = 1 << 7;

class TOpenDialog : public TComponent {
public:
  explicit TOpenDialog(TComponent* AOwner) : TComponent(AOwner) {}

  std::string ClassName() const override { return "TOpenDialog"; }

  const std::string& FileName() const { return file_name_; }
  void SetFileName(const std::string& value) { file_name_ = value; }
  const std::string& InitialDir() const { return initial_dir_; }
  void SetInitialDir(const std::string& value) { initial_dir_ = value; }
  // Pairs of description and pattern separated by '|': "Text files|*.txt|All files|*.*".
  const std::string& Filter() const { return filter_; }
  void SetFilter(const std::string& value) { filter_ = value; }
  int FilterIndex() const { return filter_index_; }
  void SetFilterIndex(int value) { filter_index_ = value; }
  const std::string& DefaultExt() const { return default_ext_; }
  void SetDefaultExt(const std::string& value) { default_ext_ = value; }
  const std::string& Title() const { return title_; }
  void SetTitle(const std::string& value) { title_ = value; }
  TOpenOptions Options() const { return options_; }
  void SetOptions(TOpenOptions value) { options_ = value; }

  // The dialog window while Execute runs, else null.
  HWND Handle() const { return handle_; }
  bool Execute();

  TNotifyEvent OnShow;

protected:
  virtual BOOL Run(OPENFILENAMEA& request) { return GetOpenFileNameA(&request); }

private:
  static UINT_PTR CALLBACK HookProc(HWND dialog, UINT msg, WPARAM wparam, LPARAM lparam);

  std::string file_name_;
  std::string initial_dir_;
  std::string filter_;
  int filter_index_ = 1;
  std::string default_ext_;
  std::string title_;
  TOpenOptions options_ = ofHideReadOnly | ofEnableSizing;
  HWND handle_ = nullptr;
};

class TSaveDialog : public TOpenDialog {
public:
  using TOpenDialog::TOpenDialog;
  std::string ClassName() const override { return "TSaveDialog"; }

protected:
  BOOL Run(OPENFILENAMEA& request) override { return GetSaveFileNameA(&request); }
};

}  // namespace tw
