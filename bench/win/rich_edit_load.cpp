// Loading text files of 1, 5 and 20 MB into the text page editor: milliseconds per MB at each
// size, and the same against reading the file's bytes (the anchor). A loader that is linear
// keeps the per-MB figure flat across the sizes.

#include <windows.h>

#include <cstdio>
#include <string>

#include "framework/win/form.h"
#include "viewers/win/rich_edit.h"

namespace {

double Now() {
  LARGE_INTEGER t, f;
  QueryPerformanceCounter(&t);
  QueryPerformanceFrequency(&f);
  return static_cast<double>(t.QuadPart) * 1000.0 / static_cast<double>(f.QuadPart);
}

std::string MakeFile(int megabytes) {
  char folder[MAX_PATH];
  GetTempPathA(MAX_PATH, folder);
  std::string name = std::string(folder) + "tw_rich_edit_load_" + std::to_string(megabytes) + ".txt";
  std::string line = "The quick brown fox jumps over the lazy dog 0123456789 abcdefghij\r\n";
  std::string text;
  const size_t size = static_cast<size_t>(megabytes) << 20;
  text.reserve(size + line.size());
  while (text.size() < size) text += line;
  text.resize(size);
  FILE* f = std::fopen(name.c_str(), "wb");
  std::fwrite(text.data(), 1, text.size(), f);
  std::fclose(f);
  return name;
}

double ReadBytes(const std::string& name) {
  double start = Now();
  tw::TFileStream file(name, tw::fmOpenRead);
  std::string bytes(static_cast<size_t>(file.Size()), '\0');
  file.ReadBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
  return Now() - start;
}

}  // namespace

int main() {
  auto* form = new tw::TForm(nullptr);
  form->SetBounds(0, 0, 640, 480);
  auto* edit = new tw::TTwRichEdit(form);
  edit->SetParent(form);
  edit->SetAlign(tw::alClient);
  edit->SetPlainText(true);
  // The default limit (16,777,215 characters) would cut the largest file short.
  edit->SetMaxLength(64 << 20);
  form->Show();
  std::printf("%6s %12s %10s %12s %10s\n", "MB", "load ms", "ms/MB", "read ms/MB", "vs 1 MB");
  double first = 0;
  for (int mb : {1, 5, 20}) {
    std::string name = MakeFile(mb);
    const double read = ReadBytes(name);
    edit->Clear();
    const double start = Now();
    edit->Lines().LoadFile(name);
    const double load = Now() - start;
    const double per_mb = load / mb;
    if (first == 0) first = per_mb;
    const int lines = edit->Lines().Count();
    std::printf("%6d %12.1f %10.1f %12.2f %9.2fx %10d lines\n", mb, load, per_mb, read / mb, per_mb / first, lines);
    std::fflush(stdout);
    DeleteFileA(name.c_str());
  }
  delete form;
  return 0;
}
