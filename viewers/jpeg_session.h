#pragma once
// One libjpeg compressor or decompressor and the bridge between its C code and our C++.
//
// libjpeg reports a fatal error by calling the error manager's error_exit, which must not
// return. Throwing from there would unwind C++ exceptions through C frames, so instead the
// session longjmps back into Guard, which is entered from C++ and only calls libjpeg inside;
// Guard then throws EJPEG on the C++ side. Progress handlers run from libjpeg's progress
// routine the same way: anything they throw is caught there, carried across by the jump and
// rethrown by Guard. The object is released by the session's destructor in every case.
//
// Only this header and the .cpp files of the data path include <jpeglib.h>.

#include <csetjmp>
#include <cstdio>
#include <exception>
#include <utility>
#include <vector>

#include <jpeglib.h>

#include "viewers/jpeg_data.h"
#include "viewers/jpeg_progress_meter.h"

namespace tw {

class TJPEGSession {
public:
  TJPEGSession(const TJPEGSession&) = delete;
  TJPEGSession& operator=(const TJPEGSession&) = delete;

  // Runs CALLS, which must call only libjpeg (and nothing whose destructor a jump would skip).
  // A fatal libjpeg error becomes EJPEG, an exception of the progress handler is rethrown.
  template <class Calls>
  void Guard(Calls&& calls) {
    if (setjmp(jump_) == 0) {
      calls();
      return;
    }
    Rethrow();
  }

  // Reports a stage outside libjpeg's own progress routine (Starting, Ending).
  void Report(TProgressStage stage, int percent, bool redraw_now = false);

protected:
  TJPEGSession(TJPEGProgressHandler on_progress, std::chrono::milliseconds interval)
      : on_progress_(std::move(on_progress)), meter_(interval) {}
  ~TJPEGSession() = default;
  // Before the derived class creates its object in COMMON: our error manager.
  void AttachErrorManager(jpeg_common_struct& common);
  // After creating it: our progress routine, when there is a handler.
  void AttachProgress(jpeg_common_struct& common);
  // Keeps an exception caught inside a libjpeg callback for Guard to rethrow after the jump.
  void KeepFailure(std::exception_ptr failure) { failure_ = std::move(failure); }
  [[noreturn]] void JumpBack() { std::longjmp(jump_, 1); }

private:
  static void ErrorExit(j_common_ptr common);
  static void OutputMessage(j_common_ptr common);
  static void EmitMessage(j_common_ptr common, int level);
  static void ProgressMonitor(j_common_ptr common);
  static TJPEGSession& Of(j_common_ptr common);
  [[noreturn]] void Rethrow();
  // Runs the handler; false when it threw (the exception is kept for Rethrow).
  bool Deliver(const TJPEGProgress& report) noexcept;

  struct ProgressManager : jpeg_progress_mgr {
    TJPEGSession* session;
  };
  struct ErrorManager : jpeg_error_mgr {
    TJPEGSession* session;
  };

  ErrorManager error_{};
  ProgressManager progress_{};
  TJPEGProgressHandler on_progress_;
  TJPEGProgressMeter meter_;
  std::jmp_buf jump_{};
  int error_code_ = 0;
  std::exception_ptr failure_;
};

class TJPEGDecompressSession : public TJPEGSession {
public:
  // Creates the decompressor over SIZE bytes at DATA (the caller keeps them alive).
  TJPEGDecompressSession(const std::uint8_t* data, std::size_t size, TJPEGProgressHandler on_progress = {},
                         std::chrono::milliseconds interval = std::chrono::milliseconds{500});
  ~TJPEGDecompressSession();
  jpeg_decompress_struct& Info() { return info_; }

private:
  jpeg_decompress_struct info_{};
};

class TJPEGCompressSession : public TJPEGSession {
public:
  // Creates the compressor writing into TARGET.
  explicit TJPEGCompressSession(TMemoryStream& target, TJPEGProgressHandler on_progress = {});
  ~TJPEGCompressSession();
  jpeg_compress_struct& Info() { return info_; }

private:
  struct Destination : jpeg_destination_mgr {
    TJPEGCompressSession* session;
  };
  static void InitDestination(j_compress_ptr info);
  static boolean EmptyOutputBuffer(j_compress_ptr info);
  static void TermDestination(j_compress_ptr info);
  // Moves COUNT bytes of the buffer to the target; false when the target failed (the
  // exception is kept for Guard).
  bool Flush(std::size_t count) noexcept;

  jpeg_compress_struct info_{};
  Destination destination_{};
  TMemoryStream& target_;
  std::vector<std::uint8_t> buffer_;
};

// Reads the header (jpeg_read_header) and refuses, with EJPEG, a picture whose decoding
// would not fit the decoders' bound (DecodedPictureFits).
void ReadCheckedHeader(TJPEGDecompressSession& session);

}  // namespace tw
