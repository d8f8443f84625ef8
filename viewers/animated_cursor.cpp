#include "viewers/animated_cursor.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>

#include "framework/exception.h"
#include "framework/stream.h"
#include "framework/string_table.h"
#include "viewers/color_reduction.h"
#include "viewers/icon_list.h"

namespace tw {
namespace {

constexpr int kChunkHeaderSize = 8;
constexpr int kAniHeaderSize = 36;
constexpr std::size_t kTextFieldLength = 255;

struct RiffChunk {
  char id[4];
  std::uint32_t size;
  std::array<std::uint8_t, 8> raw;
  bool Is(const char* name) const { return std::memcmp(id, name, 4) == 0; }
};

std::uint32_t Le32(const std::uint8_t* b) {
  return b[0] | b[1] << 8 | b[2] << 16 | static_cast<std::uint32_t>(b[3]) << 24;
}

std::int64_t EvenSize(std::uint32_t size) { return static_cast<std::int64_t>(size) + (size & 1); }

[[noreturn]] void ReadFailure() { throw EReadError(LoadStr(SReadError)); }

bool ReadChunkHeader(TStream& data, RiffChunk& header) {
  if (data.Read(header.raw.data(), kChunkHeaderSize) != kChunkHeaderSize) return false;
  std::memcpy(header.id, header.raw.data(), 4);
  header.size = Le32(header.raw.data() + 4);
  return true;
}

// Reads up to four bytes of a chunk of SIZE bytes as a little-endian value (zero-extended when
// the chunk is shorter). False when the stream cannot deliver them.
bool ReadValue(TStream& data, std::uint32_t size, std::uint32_t& value) {
  std::uint8_t b[4] = {};
  const std::int64_t want = std::min<std::uint32_t>(size, 4);
  if (data.Read(b, want) != want) return false;
  value = Le32(b);
  return true;
}

// Moves to END, which must lie inside the data; false (ending the parse) otherwise.
bool SkipTo(TStream& data, std::int64_t end) {
  if (end > data.Size()) return false;
  data.SetPosition(end);
  return true;
}

std::string ReadText(TStream& data, std::uint32_t size) {
  char field[kTextFieldLength + 1] = {};
  const std::int64_t want = std::min<std::int64_t>(size, kTextFieldLength);
  data.Read(field, want);
  return std::string(field);
}

}  // namespace

TCursorAssignHook& AnimatedCursorPlatformAssign() {
  static TCursorAssignHook hook;
  return hook;
}

int AniColorsOfBitCount(int bit_count) {
  switch (bit_count) {
    case 1: return 2;
    case 4: return 16;
    case 8: return 256;
    default: return 0;
  }
}

void TIconFrame::Assign(const TPersistent& source) {
  const auto* frame = dynamic_cast<const TIconFrame*>(&source);
  if (!frame) return TPersistent::Assign(source);
  if (frame == this) return;
  if (frame->Icon) {
    if (!Icon) Icon = std::make_unique<TIconImage>();
    Icon->Assign(*frame->Icon);
  } else {
    Icon.reset();
  }
  IsIcon = frame->IsIcon;
  ChunkHeader = frame->ChunkHeader;
  HotSpot = frame->HotSpot;
  Rate = frame->Rate;
  Key = frame->Key;
}

TIconImage* TAnimatedCursorImage::FrameIcon(int index) const { return Frame(index).Icon.get(); }

TIconFrame& TAnimatedCursorImage::Frame(int index) const {
  if (index < 0 || index >= FrameCount()) throw EListError(FmtLoadStr(SListIndexError, index));
  return *frames_[static_cast<std::size_t>(index)];
}

void TAnimatedCursorImage::Clear() {
  frames_.clear();
  steps_.clear();
  header_ = {};
  title_.clear();
  author_.clear();
  max_colors_ = 0;
}

void TAnimatedCursorImage::LoadFromFile(const std::string& file_name) {
  try {
    TFileStream stream(file_name, fmOpenRead | fmShareDenyNone);
    LoadFromStream(stream);
  } catch (...) {
    Clear();
    throw;
  }
}

void TAnimatedCursorImage::LoadFromStream(TStream& stream) {
  const std::int64_t count = std::max<std::int64_t>(stream.Size() - stream.Position(), 0);
  TMemoryStream data;
  data.SetSize(count);
  stream.ReadBuffer(data.Memory(), count);
  if (count == 0) return;
  try {
    Parse(data);
  } catch (...) {
    // A half-read cursor would show frames of a file that was refused.
    Clear();
    throw;
  }
}

void TAnimatedCursorImage::SaveToStream(TStream&) const {
  // The program's "not implemented" notice (61257) followed by the silent abort.
  ReductionNotSupported();
}

void TAnimatedCursorImage::Parse(TMemoryStream& data) {
  RiffChunk riff;
  if (!ReadChunkHeader(data, riff) || !riff.Is("RIFF")) ReadFailure();
  char form[4];
  if (data.Read(form, 4) != 4 || std::memcmp(form, "ACON", 4) != 0) ReadFailure();

  Clear();
  rate_index_ = seq_index_ = 0;
  icon_index_ = 0;
  stopped_ = false;
  rates_.clear();
  sequence_.clear();
  icon_frames_.clear();
  std::uint32_t declared_steps = 0;

  RiffChunk chunk;
  while (ReadChunkHeader(data, chunk)) {
    const std::int64_t start = data.Position();
    const std::int64_t end = start + EvenSize(chunk.size);
    if (chunk.Is("anih")) {
      std::uint8_t raw[kAniHeaderSize] = {};
      const std::int64_t want = std::min<std::int64_t>(chunk.size, kAniHeaderSize);
      if (data.Read(raw, want) != want) break;
      std::uint32_t* fields[] = {&header_.HeaderSize, &header_.FrameCount, &header_.StepCount,
                                 &header_.Width,      &header_.Height,     &header_.BitCount,
                                 &header_.Planes,     &header_.DefaultRate, &header_.Flags};
      for (int i = 0; i < 9; ++i) *fields[i] = Le32(raw + 4 * i);
      if (!(header_.Flags & TAniHeader::kIconFlag) || header_.StepCount == 0) ReadFailure();
      declared_steps = header_.StepCount;
      // A frame keeps its place only with an icon chunk of at least a header's size, so more
      // frames than the remaining data could match are never kept; they are not made.
      const auto room = static_cast<std::uint64_t>((data.Size() - data.Position()) / kChunkHeaderSize);
      const std::uint64_t made = std::min<std::uint64_t>(header_.FrameCount, room);
      for (std::uint64_t key = 0; key < made; ++key) {
        auto frame = std::make_unique<TIconFrame>();
        frame->Key = static_cast<std::int32_t>(key);
        frame->Rate = static_cast<std::int32_t>(header_.DefaultRate);
        frames_.push_back(std::move(frame));
      }
    } else if (chunk.Is("rate") || chunk.Is("seq ")) {
      // Each 4-byte entry belongs to the next frame in order, whether a chunk lists one entry
      // or all of them.
      const bool rate = chunk.Is("rate");
      std::size_t& next = rate ? rate_index_ : seq_index_;
      std::uint32_t left = chunk.size;
      bool read_ok = true;
      do {
        std::uint32_t value = 0;
        if (!ReadValue(data, left, value)) {
          read_ok = false;
          break;
        }
        (rate ? rates_ : sequence_).push_back(value);
        if (next < frames_.size()) {
          if (rate)
            frames_[next]->Rate = static_cast<std::int32_t>(value);
          else
            frames_[next]->Key = static_cast<std::int32_t>(value);
        }
        ++next;
        left -= std::min<std::uint32_t>(left, 4);
      } while (left >= 4);
      if (!read_ok) break;
    } else if (chunk.Is("LIST")) {
      char type[4];
      if (data.Read(type, 4) != 4) break;
      const std::int64_t remaining = EvenSize(chunk.size) - 4;
      if (std::memcmp(type, "fram", 4) == 0) {
        ReadFrameList(data, remaining);
      } else if (std::memcmp(type, "INFO", 4) == 0) {
        ReadInfoList(data, remaining);
      }
    }
    if (stopped_ || !SkipTo(data, end)) break;
  }

  for (std::size_t i = frames_.size(); i-- > 0;)
    if (!frames_[i]->Icon) frames_.erase(frames_.begin() + static_cast<std::ptrdiff_t>(i));
  header_.StepCount = static_cast<std::uint32_t>(frames_.size());
  if (frames_.empty()) ReadFailure();
  MakeSteps(declared_steps);
}

void TAnimatedCursorImage::MakeSteps(std::uint32_t declared_steps) {
  std::unordered_map<const TIconFrame*, int> frame_index;
  for (std::size_t i = 0; i < frames_.size(); ++i) frame_index[frames_[i].get()] = static_cast<int>(i);
  // Steps beyond the sequence's entries (or without a sequence, beyond the icons) name nothing.
  const std::size_t named = sequence_.empty() ? icon_frames_.size() : sequence_.size();
  const std::size_t count = std::min<std::size_t>(declared_steps, named);
  for (std::size_t step = 0; step < count; ++step) {
    const std::uint32_t icon = sequence_.empty() ? static_cast<std::uint32_t>(step) : sequence_[step];
    if (icon >= icon_frames_.size()) continue;
    const std::uint32_t rate = step < rates_.size() ? rates_[step] : header_.DefaultRate;
    steps_.push_back({frame_index.at(icon_frames_[icon]), static_cast<std::int32_t>(rate)});
  }
  if (!steps_.empty()) return;
  for (std::size_t i = 0; i < frames_.size(); ++i) steps_.push_back({static_cast<int>(i), frames_[i]->Rate});
}

void TAnimatedCursorImage::ReadFrameList(TMemoryStream& data, std::int64_t remaining) {
  RiffChunk sub;
  while (remaining >= kChunkHeaderSize) {
    if (!ReadChunkHeader(data, sub)) {
      stopped_ = true;
      return;
    }
    remaining -= kChunkHeaderSize;
    const std::int64_t end = data.Position() + EvenSize(sub.size);
    if (sub.Is("icon")) {
      bool is_icon = false;
      TPoint hot_spot;
      auto icon = ReadIcon(data, sub.size, is_icon, hot_spot);
      if (!icon) {
        stopped_ = true;
        return;
      }
      bool matched = false;
      for (auto& frame : frames_) {
        if (frame->Key != icon_index_) continue;
        if (!matched) icon_frames_.push_back(frame.get());
        matched = true;
        frame->Icon = std::make_unique<TIconImage>(*icon);
        frame->ChunkHeader = sub.raw;
        frame->HotSpot = hot_spot;
        frame->IsIcon = is_icon;
      }
      if (!matched) {
        auto frame = std::make_unique<TIconFrame>();
        frame->Key = -1;
        frame->Rate = static_cast<std::int32_t>(header_.DefaultRate);
        frame->Icon = std::move(icon);
        frame->ChunkHeader = sub.raw;
        frame->HotSpot = hot_spot;
        frame->IsIcon = is_icon;
        icon_frames_.push_back(frame.get());
        frames_.push_back(std::move(frame));
      }
      ++icon_index_;
    }
    remaining -= EvenSize(sub.size);
    if (!SkipTo(data, end)) {
      stopped_ = true;
      return;
    }
  }
}

void TAnimatedCursorImage::ReadInfoList(TMemoryStream& data, std::int64_t remaining) {
  RiffChunk sub;
  while (remaining >= kChunkHeaderSize) {
    if (!ReadChunkHeader(data, sub)) {
      stopped_ = true;
      return;
    }
    remaining -= kChunkHeaderSize;
    const std::int64_t end = data.Position() + EvenSize(sub.size);
    if (sub.Is("INAM") || sub.Is("IART")) {
      if (remaining < sub.size) {
        stopped_ = true;
        return;
      }
      (sub.Is("INAM") ? title_ : author_) = ReadText(data, sub.size);
    }
    remaining -= EvenSize(sub.size);
    if (!SkipTo(data, end)) {
      stopped_ = true;
      return;
    }
  }
}

std::unique_ptr<TIconImage> TAnimatedCursorImage::ReadIcon(TMemoryStream& data, std::uint32_t size, bool& is_icon,
                                                           TPoint& hot_spot) {
  if (size > data.Size() - data.Position()) return nullptr;
  std::vector<std::uint8_t> bytes(size);
  data.ReadBuffer(bytes.data(), size);
  hot_spot = {};
  if (bytes.size() < 6) return nullptr;
  const int type = bytes[2] | bytes[3] << 8;
  is_icon = type == 1;
  if (type == 2)
    bytes[2] = 1;
  else if (type != 1)
    return nullptr;
  const std::size_t count = bytes[4] | bytes[5] << 8;
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t entry = 6 + 16 * i;
    if (entry + 16 > bytes.size()) break;
    const std::uint64_t offset = Le32(&bytes[entry + 12]);
    if (offset + 16 <= bytes.size()) {
      const int bit_count = bytes[offset + 14] | bytes[offset + 15] << 8;
      max_colors_ = std::max(max_colors_, AniColorsOfBitCount(bit_count));
    }
    hot_spot = {bytes[entry + 4] | bytes[entry + 5] << 8, bytes[entry + 6] | bytes[entry + 7] << 8};
  }
  auto icon = std::make_unique<TIconImage>();
  try {
    icon->LoadFromBytes(std::move(bytes));
  } catch (const EInvalidGraphic&) {
    return nullptr;
  }
  if (is_icon) hot_spot = {icon->Width() / 2, icon->Height() / 2};
  return icon;
}

void TAnimatedCursorImage::Assign(const TPersistent& source) {
  const auto* cursor = dynamic_cast<const TAnimatedCursorImage*>(&source);
  if (!cursor) return TPersistent::Assign(source);
  if (cursor == this) return;
  try {
    Clear();
    header_ = cursor->header_;
    title_ = cursor->title_;
    author_ = cursor->author_;
    max_colors_ = cursor->max_colors_;
    steps_ = cursor->steps_;
    for (const auto& frame : cursor->frames_) {
      auto copy = std::make_unique<TIconFrame>();
      copy->Assign(*frame);
      frames_.push_back(std::move(copy));
    }
  } catch (...) {
    Clear();
    throw;
  }
}

void TAnimatedCursorImage::AssignTo(TPersistent& dest) const {
  if (auto* icon = dynamic_cast<TIconImage*>(&dest)) {
    if (!frames_.empty() && frames_.front()->Icon) icon->Assign(*frames_.front()->Icon);
    return;
  }
  if (auto* list = dynamic_cast<TIconList*>(&dest)) {
    list->BeginUpdate();
    try {
      list->Clear();
      for (const auto& frame : frames_) list->Add(frame->Icon.get());
    } catch (...) {
      list->EndUpdate();
      throw;
    }
    list->EndUpdate();
    return;
  }
  if (const auto& platform = AnimatedCursorPlatformAssign(); platform && platform(*this, dest)) return;
  TPersistent::AssignTo(dest);
}

TDib TAnimatedCursorImage::FrameStrip(bool vertical, std::uint32_t background) const {
  if (frames_.empty() || !frames_.front()->Icon) return {};
  const int w = frames_.front()->Icon->Width();
  const int h = frames_.front()->Icon->Height();
  const int n = FrameCount();
  TDib strip(vertical ? w : w * n, vertical ? h * n : h, 24);
  const std::uint8_t bgr[3] = {static_cast<std::uint8_t>(background >> 16), static_cast<std::uint8_t>(background >> 8),
                               static_cast<std::uint8_t>(background)};
  for (int y = 0; y < strip.Height(); ++y) {
    std::uint8_t* row = strip.ScanLine(y);
    for (int x = 0; x < strip.Width(); ++x) std::copy(bgr, bgr + 3, row + 3 * x);
  }
  for (int i = 0; i < n; ++i) {
    const TIconImage* icon = frames_[static_cast<std::size_t>(i)]->Icon.get();
    if (!icon) continue;
    if (vertical)
      icon->DrawOnto(strip, 0, i * icon->Height());
    else
      icon->DrawOnto(strip, i * icon->Width(), 0);
  }
  return strip;
}

std::unique_ptr<TMemoryStream> TAnimatedCursorImage::ReducedFrameStrip(bool vertical, std::uint32_t background) const {
  const TDib strip = FrameStrip(vertical, background);
  if (strip.Empty()) {
    auto empty = std::make_unique<TMemoryStream>();
    return empty;
  }
  return ReduceByColorCount(strip, std::max(max_colors_, 16));
}

}  // namespace tw
