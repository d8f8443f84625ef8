// Loading text files of 1, 5 and 20 MB (or the sizes given as arguments) into the text page
// editor: milliseconds per MB at each size, against the anchor of the control streaming the same
// bytes in through a bare copying callback, and the spread (largest over smallest per-MB time)
// of both. A loader that is linear keeps the per-MB figure flat across the sizes; the anchor
// shows how much of any growth is the control's own. The last column is the time the editor
// takes to empty itself of the file, as showing the next file does.
//
// The text is what people preview: lines of 60 to 100 characters made of words, each ended by
// CR LF. "--uniform" makes every line 66 characters long instead, to compare text of a single
// line length.

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "framework/win/form.h"
#include "viewers/win/rich_edit.h"

namespace {

double Now() {
  LARGE_INTEGER t, f;
  QueryPerformanceCounter(&t);
  QueryPerformanceFrequency(&f);
  return static_cast<double>(t.QuadPart) * 1000.0 / static_cast<double>(f.QuadPart);
}

// SIZE bytes of lines of words; every line is 60 to 100 characters (or exactly 66 when UNIFORM)
// plus CR LF. The same seed gives the same file, so both sides of a row see the same bytes.
std::string MakeText(size_t size, bool uniform) {
  static const char* const kWords[] = {"the",    "quick", "brown",  "fox",     "jumps", "over",  "lazy",
                                       "dog",    "file",  "folder", "preview", "shell", "tree",  "list",
                                       "2026",   "0x1F",  "window", "message", "text",  "editor"};
  std::string text;
  text.reserve(size + 128);
  std::uint32_t state = 12345;
  auto next = [&state] {
    state = state * 1103515245u + 12345u;
    return state >> 16;
  };
  while (text.size() < size) {
    const size_t length = uniform ? 66 : 60 + next() % 41;
    const size_t start = text.size();
    while (text.size() - start < length) {
      text += kWords[next() % (sizeof(kWords) / sizeof(kWords[0]))];
      text += ' ';
    }
    text.resize(start + length);
    text += "\r\n";
  }
  text.resize(size);
  return text;
}

std::string WriteFile(int megabytes, bool uniform) {
  char folder[MAX_PATH];
  GetTempPathA(MAX_PATH, folder);
  std::string name = std::string(folder) + "tw_rich_edit_load_" + std::to_string(megabytes) + ".txt";
  const std::string text = MakeText(static_cast<size_t>(megabytes) << 20, uniform);
  tw::TFileStream file(name, tw::fmCreate);
  file.WriteBuffer(text.data(), static_cast<std::int64_t>(text.size()));
  return name;
}

struct RawSource {
  const std::string* bytes;
  size_t offset = 0;
};

DWORD CALLBACK CopyChunk(DWORD_PTR cookie, LPBYTE buffer, LONG capacity, LONG* count) {
  auto* source = reinterpret_cast<RawSource*>(cookie);
  size_t n = std::min(static_cast<size_t>(capacity), source->bytes->size() - source->offset);
  // A CR LF split between two chunks would be two line breaks to the control.
  const char* from = source->bytes->data() + source->offset;
  if (n > 1 && source->offset + n < source->bytes->size() && from[n - 1] == '\r') --n;
  std::memcpy(buffer, source->bytes->data() + source->offset, n);
  source->offset += n;
  *count = static_cast<LONG>(n);
  return 0;
}

// The control alone: the file's bytes (already CR LF throughout) streamed in as they are, into
// the editor's own window with its settings.
double StreamRaw(HWND window, const std::string& name) {
  tw::TFileStream file(name, tw::fmOpenRead);
  std::string bytes(static_cast<size_t>(file.Size()), '\0');
  file.ReadBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
  RawSource source{&bytes};
  EDITSTREAM stream{reinterpret_cast<DWORD_PTR>(&source), 0, &CopyChunk};
  const double start = Now();
  SendMessageA(window, EM_STREAMIN, SF_TEXT, reinterpret_cast<LPARAM>(&stream));
  return Now() - start;
}

int TextLength(HWND window) {
  GETTEXTLENGTHEX query{GTL_NUMCHARS, CP_ACP};
  return static_cast<int>(SendMessageA(window, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&query), 0));
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<int> sizes;
  bool uniform = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--uniform") == 0) {
      uniform = true;
    } else {
      sizes.push_back(std::atoi(argv[i]));
    }
  }
  if (sizes.empty()) sizes = {1, 5, 20};
  auto* form = new tw::TForm(nullptr);
  form->SetBounds(0, 0, 640, 480);
  auto* edit = new tw::TTwRichEdit(form);
  edit->SetParent(form);
  edit->SetAlign(tw::alClient);
  edit->SetPlainText(true);
  // The default limit (16,777,215 characters) would cut the largest file short.
  edit->SetMaxLength(64 << 20);
  form->Show();
  std::printf("%s lines\n", uniform ? "66-character" : "60 to 100 character");
  std::printf("%6s %10s %10s %14s %12s %12s %9s\n", "MB", "load ms", "ms/MB", "control ms/MB", "vs control",
              "characters", "clear ms");
  double load_min = 1e300, load_max = 0, raw_min = 1e300, raw_max = 0;
  for (int mb : sizes) {
    const std::string name = WriteFile(mb, uniform);
    edit->Clear();
    const double raw = StreamRaw(edit->Handle(), name) / mb;
    // Emptying the editor of the file just streamed in, as the next preview does.
    const double clear_start = Now();
    edit->Clear();
    const double clear = Now() - clear_start;
    const double start = Now();
    edit->Lines().LoadFile(name);
    const double load = (Now() - start) / mb;
    load_min = std::min(load_min, load);
    load_max = std::max(load_max, load);
    raw_min = std::min(raw_min, raw);
    raw_max = std::max(raw_max, raw);
    std::printf("%6d %10.0f %10.0f %14.0f %11.2fx %12d %9.0f\n", mb, load * mb, load, raw, load / raw,
                TextLength(edit->Handle()), clear);
    std::fflush(stdout);
    DeleteFileA(name.c_str());
  }
  std::printf("per-MB spread (largest / smallest): load %.2fx, control %.2fx\n", load_max / load_min,
              raw_max / raw_min);
  delete form;
  return 0;
}
