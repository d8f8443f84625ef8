#pragma once
// TRichEditLoader: the rest of a long plain-text file, appended to the editor slice by slice
// from the message loop once the editor shows the file's first slice. The control takes seconds
// per megabyte in one load; in slices the window answers between them, and the whole costs no
// more. While the load runs the text is read-only and raises no change events; the user's
// selection and scroll position stay where they are. A load that ends before the file's end
// (cancelled, or the file failed to read) leaves the editor's text marked cut. The file is let go
// when the load ends.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "framework/stream.h"
#include "framework/win/timer.h"
#include "viewers/rich_edit_conversion.h"

namespace tw {

class TTwCustomRichEdit;

// Bytes of converted text per slice. Under Wine the control appends a slice of this size in
// 20 to 50 ms; larger slices cost more than in proportion.
inline constexpr int kLoadSlice = 32 * 1024;

class TRichEditLoader {
public:
  // Reads FILE (named FILE_NAME) through CONVERSION, or through a plain copy when it is null.
  TRichEditLoader(TTwCustomRichEdit& editor, std::unique_ptr<TStream> file, TConversion* conversion,
                  std::string file_name);
  // Appends TEXT from FROM on: the text of the file FILE_NAME, read whole already; CUT when the
  // editor's limit kept some of the file back.
  TRichEditLoader(TTwCustomRichEdit& editor, std::u16string text, std::size_t from, std::string file_name, bool cut);
  ~TRichEditLoader();
  TRichEditLoader(const TRichEditLoader&) = delete;
  TRichEditLoader& operator=(const TRichEditLoader&) = delete;

  TReadChunker& Chunker() { return *chunker_; }
  TStream& File() { return *file_; }

  // Makes the text read-only and appends the rest from the message loop.
  void Start();
  bool Active() const { return active_; }
  // How much of the file has arrived, 0 to 100.
  int Progress() const;
  // Appends what is left at once.
  void Finish();
  // Stops where it is; the text keeps what has arrived, marked cut.
  void Cancel();

private:
  void Step();
  // Appends the next slice; false when nothing was left.
  bool AppendSlice();
  // Appends what INSERT puts at the end of the text, keeping the user's selection and view.
  template <class Insert>
  void AppendAtEnd(Insert insert);
  // Lets the file go and gives the editor back its settings and its cut mark; a whole load also
  // leaves it unmodified and without undo.
  void End(bool whole);

  TTwCustomRichEdit& editor_;
  std::unique_ptr<TStream> file_;
  TConversion copy_;
  // Reads FILE_; used only while the load is active. Null for a text read whole already.
  std::unique_ptr<TReadChunker> chunker_;
  std::u16string text_;
  std::size_t text_at_ = 0;
  bool text_cut_ = false;
  std::string file_name_;
  std::int64_t size_;
  std::vector<char> slice_;
  TTimer timer_{nullptr};
  bool active_ = false;
  // Whether the editor reported changes before the load.
  bool change_notify_ = true;
};

}  // namespace tw
