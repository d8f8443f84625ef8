// Loading text files of 1, 5 and 20 MB (or the sizes given as arguments) into the text page
// editor while the message loop runs, as the program does: the time to the first screenful
// (the load call plus the paint of the window), the longest time one message kept the loop
// busy, and the total time until the whole file has arrived, against the anchor of the control
// streaming the same bytes in with one EM_STREAMIN through a bare copying callback, measured in
// the same run. "ratio" is the total over the anchor.
//
// "--slices" instead measures a bare plain-text control: one EM_STREAMIN of each file, then the
// file appended in slices of 32, 64 and 256 KB (EM_SETSEL(-1, -1) and EM_REPLACESEL), printing
// the total and the longest slice.
//
// The text is what people preview: lines of 60 to 100 characters made of words, each ended by
// CR LF.

#include <windows.h>
#include <richedit.h>

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

// SIZE bytes of lines of words; every line is 60 to 100 characters plus CR LF. The same seed
// gives the same file, so both sides of a row see the same bytes.
std::string MakeText(size_t size) {
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
    const size_t length = 60 + next() % 41;
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

std::string WriteFile(int megabytes, const std::string& text) {
  char folder[MAX_PATH];
  GetTempPathA(MAX_PATH, folder);
  std::string name = std::string(folder) + "tw_rich_edit_load_" + std::to_string(megabytes) + ".txt";
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
  std::memcpy(buffer, from, n);
  source->offset += n;
  *count = static_cast<LONG>(n);
  return 0;
}

// The anchor: the file's bytes (already CR LF throughout) streamed in as they are, into the
// editor's own window with its settings.
double StreamRaw(HWND window, const std::string& bytes) {
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

struct Progressive {
  double first_screen = 0;
  double longest_block = 0;
  double total = 0;
};

// The editor's own load of NAME with the message loop running until the whole file is in.
Progressive LoadWhileLooping(tw::TTwRichEdit& edit, const std::string& name) {
  Progressive result;
  const double start = Now();
  edit.Lines().LoadFile(name);
  RedrawWindow(edit.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  result.first_screen = Now() - start;
  result.longest_block = result.first_screen;
  while (edit.Loading()) {
    MSG msg;
    if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      WaitMessage();
      continue;
    }
    const double before = Now();
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
    result.longest_block = std::max(result.longest_block, Now() - before);
  }
  result.total = Now() - start;
  return result;
}

// The bare control appending BYTES at its end in slices of SLICE bytes (a CR LF kept whole).
void AppendInSlices(HWND window, const std::string& bytes, size_t slice, double& total, double& longest) {
  SendMessageA(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
  std::string part;
  const double start = Now();
  longest = 0;
  for (size_t at = 0; at < bytes.size();) {
    size_t n = std::min(slice, bytes.size() - at);
    if (at + n < bytes.size() && bytes[at + n - 1] == '\r') --n;
    part.assign(bytes, at, n);
    at += n;
    const double before = Now();
    SendMessageA(window, EM_SETSEL, static_cast<WPARAM>(-1), -1);
    SendMessageA(window, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(part.c_str()));
    longest = std::max(longest, Now() - before);
  }
  total = Now() - start;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<int> sizes;
  bool slices = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--slices") == 0) {
      slices = true;
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
  HWND bare = nullptr;
  if (slices) {
    bare = CreateWindowExA(0, RICHEDIT_CLASSA, "", WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE, 0, 0, 640, 480,
                           form->Handle(), nullptr, nullptr, nullptr);
    SendMessageA(bare, EM_SETTEXTMODE, TM_PLAINTEXT | TM_MULTILEVELUNDO, 0);
    SendMessageA(bare, EM_EXLIMITTEXT, 0, 64 << 20);
    std::printf("%6s %8s %10s %12s\n", "MB", "slice KB", "total ms", "longest ms");
  } else {
    std::printf("%6s %14s %12s %10s %10s %7s %12s\n", "MB", "first screen", "longest", "total", "anchor",
                "ratio", "characters");
  }
  for (int mb : sizes) {
    const std::string text = MakeText(static_cast<size_t>(mb) << 20);
    if (slices) {
      SendMessageA(bare, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
      std::printf("%6d %8s %10.0f %12s\n", mb, "whole", StreamRaw(bare, text), "");
      for (size_t kb : {32, 64, 256}) {
        double total = 0, longest = 0;
        AppendInSlices(bare, text, kb << 10, total, longest);
        std::printf("%6d %8zu %10.0f %12.0f\n", mb, kb, total, longest);
        std::fflush(stdout);
      }
      continue;
    }
    const std::string name = WriteFile(mb, text);
    edit->Clear();
    const double anchor = StreamRaw(edit->Handle(), text);
    const int anchor_characters = TextLength(edit->Handle());
    edit->Clear();
    const Progressive load = LoadWhileLooping(*edit, name);
    const int characters = TextLength(edit->Handle());
    std::printf("%6d %11.0f ms %9.0f ms %7.0f ms %7.0f ms %6.2fx %12d%s\n", mb, load.first_screen,
                load.longest_block, load.total, anchor, load.total / anchor, characters,
                characters == anchor_characters ? "" : "  (differs from the anchor's text)");
    std::fflush(stdout);
    edit->Clear();
    DeleteFileA(name.c_str());
  }
  delete form;
  return 0;
}
