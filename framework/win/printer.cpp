#include "framework/win/printer.h"

#include <vector>

#include "framework/string_table.h"
#include "framework/win/os_error.h"

namespace tw {

TPrinter::~TPrinter() {
  if (printing_ && own_dc_) AbortDoc(dc_);
  if (own_dc_ && dc_) DeleteDC(dc_);
}

TPrinter& Printer() {
  static TPrinter printer;
  return printer;
}

void TPrinter::Open() {
  if (dc_) return;
  DWORD size = 0;
  GetDefaultPrinterA(nullptr, &size);
  std::vector<char> name(size + 1, '\0');
  if (size == 0 || !GetDefaultPrinterA(name.data(), &size)) throw EPrinter(LoadStr(SNoDefaultPrinter));
  HDC dc = CreateDCA("WINSPOOL", name.data(), nullptr, nullptr);
  if (!dc) throw EPrinter(LoadStr(SNoDefaultPrinter));
  printer_name_ = name.data();
  dc_ = dc;
  own_dc_ = true;
}

void TPrinter::SetDeviceContext(HDC dc) {
  CheckPrinting(false);
  if (own_dc_ && dc_) DeleteDC(dc_);
  dc_ = dc;
  own_dc_ = false;
  printer_name_.clear();
}

HDC TPrinter::Handle() {
  Open();
  return dc_;
}

int TPrinter::PageWidth() { return GetDeviceCaps(Handle(), HORZRES); }

int TPrinter::PageHeight() { return GetDeviceCaps(Handle(), VERTRES); }

const std::string& TPrinter::PrinterName() {
  Open();
  return printer_name_;
}

void TPrinter::CheckPrinting(bool expected) const {
  if (printing_ != expected) throw EPrinter(LoadStr(expected ? SNotPrinting : SPrinting));
}

void TPrinter::BeginDoc() {
  CheckPrinting(false);
  Open();
  aborted_ = false;
  page_number_ = 1;
  if (own_dc_) {
    DOCINFOA info{};
    info.cbSize = sizeof(info);
    info.lpszDocName = title_.c_str();
    if (StartDocA(dc_, &info) <= 0) RaiseLastOSError();
    if (StartPage(dc_) <= 0) {
      AbortDoc(dc_);
      RaiseLastOSError();
    }
  }
  printing_ = true;
}

void TPrinter::NewPage() {
  CheckPrinting(true);
  if (own_dc_ && (EndPage(dc_) <= 0 || StartPage(dc_) <= 0)) RaiseLastOSError();
  ++page_number_;
}

void TPrinter::EndDoc() {
  CheckPrinting(true);
  printing_ = false;
  if (own_dc_ && (EndPage(dc_) <= 0 || ::EndDoc(dc_) <= 0)) RaiseLastOSError();
}

void TPrinter::Abort() {
  CheckPrinting(true);
  printing_ = false;
  aborted_ = true;
  if (own_dc_) AbortDoc(dc_);
}

}  // namespace tw
