#pragma once
// TPrinter: the default printer as one print job at a time. BeginDoc opens a document named
// Title on the printer's device context and starts its first page, NewPage starts the next,
// EndDoc ends the last page and the document; Abort drops the job. Handle is the device context
// to draw on. A printer may instead be pointed at a device context of the caller's own
// (SetDeviceContext): then the document calls only count pages and nothing is sent to a spooler,
// which is how the page logic of a printing control is checked without a printer.

#include <windows.h>

#include <string>

#include "framework/exception.h"

namespace tw {

TW_EXCEPTION_KIND(EPrinter, Exception);

class TPrinter {
public:
  TPrinter() = default;
  ~TPrinter();
  TPrinter(const TPrinter&) = delete;
  TPrinter& operator=(const TPrinter&) = delete;

  const std::string& Title() const { return title_; }
  void SetTitle(const std::string& value) { title_ = value; }

  // Starts a job; fails with EPrinter when a job is running or no printer can be opened.
  void BeginDoc();
  void NewPage();
  void EndDoc();
  void Abort();
  bool Printing() const { return printing_; }
  bool Aborted() const { return aborted_; }
  // Pages started in the current (or last) job.
  int PageNumber() const { return page_number_; }

  // The device context of the printer (opened on first demand).
  HDC Handle();
  // Printable area in device pixels.
  int PageWidth();
  int PageHeight();
  // The name of the printer in use ("" for a caller's device context).
  const std::string& PrinterName();

  // Prints into DC (owned by the caller) from now on instead of the default printer; null goes
  // back to the default printer.
  void SetDeviceContext(HDC dc);

private:
  void Open();
  void CheckPrinting(bool expected) const;

  std::string title_;
  std::string printer_name_;
  HDC dc_ = nullptr;
  bool own_dc_ = false;
  bool printing_ = false;
  bool aborted_ = false;
  int page_number_ = 0;
};

// The program's printer.
TPrinter& Printer();

}  // namespace tw
