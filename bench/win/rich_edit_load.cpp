// Loading text files of 1, 5 and 20 MB (or the sizes given as arguments) into the text page
// editor: milliseconds per MB at each size, against the anchor of the control streaming the same
// bytes in through a bare copying callback. A loader that is linear keeps the per-MB figure flat
// across the sizes; the anchor shows how much of any growth is the control's own.

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>
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

struct RawSource {
  const std::string* bytes;
  size_t offset = 0;
};

DWORD CALLBACK CopyChunk(DWORD_PTR cookie, LPBYTE buffer, LONG capacity, LONG* count) {
  auto* source = reinterpret_cast<RawSource*>(cookie);
  size_t n = std::min(static_cast<size_t>(capacity), source->bytes->size() - source->offset);
  std::memcpy(buffer, source->bytes->data() + source->offset, n);
  source->offset += n;
  *count = static_cast<LONG>(n);
  return 0;
}

// The control alone: the file's bytes streamed in as they are.
double StreamRaw(HWND window, const std::string& name) {
  tw::TFileStream file(name, tw::fmOpenRead);
  std::string bytes(static_cast<size_t>(file.Size()), '\0');
  file.ReadBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
  RawSource source{&bytes};
  EDITSTREAM stream{reinterpret_cast<DWORD_PTR>(&source), 0, &CopyChunk};
  double start = Now();
  SendMessageA(window, EM_STREAMIN, SF_TEXT, reinterpret_cast<LPARAM>(&stream));
  return Now() - start;
}

}  // namespace

int main(int argc, char** argv) {
  auto* form = new tw::TForm(nullptr);
  form->SetBounds(0, 0, 640, 480);
  auto* edit = new tw::TTwRichEdit(form);
  edit->SetParent(form);
  edit->SetAlign(tw::alClient);
  edit->SetPlainText(true);
  // The default limit (16,777,215 characters) would cut the largest file short.
  edit->SetMaxLength(64 << 20);
  form->Show();
  std::vector<int> sizes;
  for (int i = 1; i < argc; ++i) sizes.push_back(std::atoi(argv[i]));
  if (sizes.empty()) sizes = {1, 5, 20};
  std::printf("%6s %12s %10s %14s %12s %10s\n", "MB", "load ms", "ms/MB", "control ms/MB", "vs control", "vs first");
  double first = 0;
  for (int mb : sizes) {
    std::string name = MakeFile(mb);
    edit->Clear();
    const double raw = StreamRaw(edit->Handle(), name);
    edit->Clear();
    const double start = Now();
    edit->Lines().LoadFile(name);
    const double load = Now() - start;
    const double per_mb = load / mb;
    if (first == 0) first = per_mb;
    std::printf("%6d %12.1f %10.1f %14.1f %11.2fx %9.2fx\n", mb, load, per_mb, raw / mb, load / raw, per_mb / first);
    std::fflush(stdout);
    DeleteFileA(name.c_str());
  }
  delete form;
  return 0;
}
