#include "viewers/jpeg_session.h"

#include <algorithm>

#include "framework/string_table.h"

namespace tw {

TJPEGSession& TJPEGSession::Of(j_common_ptr common) {
  return *static_cast<ErrorManager*>(common->err)->session;
}

void TJPEGSession::AttachErrorManager(jpeg_common_struct& common) {
  jpeg_std_error(&error_);
  error_.session = this;
  error_.error_exit = &ErrorExit;
  error_.output_message = &OutputMessage;
  error_.emit_message = &EmitMessage;
  common.err = &error_;
}

void TJPEGSession::AttachProgress(jpeg_common_struct& common) {
  if (!on_progress_) return;
  progress_.session = this;
  progress_.progress_monitor = &ProgressMonitor;
  common.progress = &progress_;
}

void TJPEGSession::ErrorExit(j_common_ptr common) {
  TJPEGSession& session = Of(common);
  session.error_code_ = common->err->msg_code;
  session.JumpBack();
}

// Warnings and traces are not shown: a damaged file decodes as far as it goes.
void TJPEGSession::OutputMessage(j_common_ptr) {}
void TJPEGSession::EmitMessage(j_common_ptr, int) {}

void TJPEGSession::Rethrow() {
  if (failure_) {
    std::exception_ptr failure = std::exchange(failure_, nullptr);
    std::rethrow_exception(failure);
  }
  throw EJPEG(FmtLoadStr(SJPEGError, error_code_));
}

bool TJPEGSession::Deliver(const TJPEGProgress& report) noexcept {
  try {
    on_progress_(report);
    return true;
  } catch (...) {
    failure_ = std::current_exception();
    return false;
  }
}

void TJPEGSession::Report(TProgressStage stage, int percent, bool redraw_now) {
  if (!on_progress_) return;
  TJPEGProgress report;
  report.Stage = stage;
  report.PercentDone = percent;
  report.RedrawNow = redraw_now;
  on_progress_(report);
}

void TJPEGSession::ProgressMonitor(j_common_ptr common) {
  TJPEGSession& session = Of(common);
  TJPEGProgressMeter::Counters counters;
  counters.PassCounter = common->progress->pass_counter;
  counters.PassLimit = common->progress->pass_limit;
  counters.CompletedPasses = common->progress->completed_passes;
  counters.TotalPasses = common->progress->total_passes;
  if (common->is_decompressor) {
    const auto* info = reinterpret_cast<j_decompress_ptr>(common);
    counters.Decompressing = true;
    counters.OutputScanline = static_cast<int>(info->output_scanline);
    counters.OutputWidth = static_cast<int>(info->output_width);
    counters.OutputHeight = static_cast<int>(info->output_height);
  }
  const auto report = session.meter_.Update(TJPEGProgressMeter::Clock::now(), counters);
  if (report && !session.Deliver(*report)) session.JumpBack();
}

TJPEGDecompressSession::TJPEGDecompressSession(const std::uint8_t* data, std::size_t size,
                                               TJPEGProgressHandler on_progress,
                                               std::chrono::milliseconds interval)
    : TJPEGSession(std::move(on_progress), interval) {
  AttachErrorManager(*reinterpret_cast<j_common_ptr>(&info_));
  try {
    Guard([&] {
      jpeg_create_decompress(&info_);
      jpeg_mem_src(&info_, data, static_cast<unsigned long>(size));
    });
  } catch (...) {
    jpeg_destroy_decompress(&info_);
    throw;
  }
  AttachProgress(*reinterpret_cast<j_common_ptr>(&info_));
}

TJPEGDecompressSession::~TJPEGDecompressSession() { jpeg_destroy_decompress(&info_); }

TJPEGCompressSession::TJPEGCompressSession(TMemoryStream& target, TJPEGProgressHandler on_progress)
    : TJPEGSession(std::move(on_progress), std::chrono::milliseconds{500}), target_(target), buffer_(64 * 1024) {
  AttachErrorManager(*reinterpret_cast<j_common_ptr>(&info_));
  try {
    Guard([&] { jpeg_create_compress(&info_); });
  } catch (...) {
    jpeg_destroy_compress(&info_);
    throw;
  }
  destination_.session = this;
  destination_.init_destination = &InitDestination;
  destination_.empty_output_buffer = &EmptyOutputBuffer;
  destination_.term_destination = &TermDestination;
  info_.dest = &destination_;
  AttachProgress(*reinterpret_cast<j_common_ptr>(&info_));
}

TJPEGCompressSession::~TJPEGCompressSession() { jpeg_destroy_compress(&info_); }

void TJPEGCompressSession::InitDestination(j_compress_ptr info) {
  auto& self = *static_cast<Destination*>(info->dest)->session;
  self.destination_.next_output_byte = self.buffer_.data();
  self.destination_.free_in_buffer = self.buffer_.size();
}

// Called when the whole buffer is full: libjpeg expects the entire buffer to be taken.
boolean TJPEGCompressSession::EmptyOutputBuffer(j_compress_ptr info) {
  auto& self = *static_cast<Destination*>(info->dest)->session;
  if (!self.Flush(self.buffer_.size())) self.JumpBack();
  InitDestination(info);
  return TRUE;
}

void TJPEGCompressSession::TermDestination(j_compress_ptr info) {
  auto& self = *static_cast<Destination*>(info->dest)->session;
  if (!self.Flush(self.buffer_.size() - self.destination_.free_in_buffer)) self.JumpBack();
}

bool TJPEGCompressSession::Flush(std::size_t count) noexcept {
  try {
    target_.WriteBuffer(buffer_.data(), static_cast<std::int64_t>(count));
    return true;
  } catch (...) {
    KeepFailure(std::current_exception());
    return false;
  }
}

}  // namespace tw
