#pragma once
// Animated cursor files (RIFF form "ACON"): a list of frames, each an icon or cursor image with
// its own display rate, hot spot and sequence key, and the file's title and author. An animated
// cursor is loaded explicitly and is not itself drawable; it hands its frames to icons, icon
// lists, GIF pictures and (as a strip of frames side by side) to bitmaps.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/dib.h"
#include "framework/persistent.h"
#include "framework/types.h"
#include "viewers/ani_icon.h"

namespace tw {

class TStream;
class TMemoryStream;

// The 36-byte "anih" chunk: nine 32-bit little-endian fields.
struct TAniHeader {
  std::uint32_t HeaderSize = 0;
  std::uint32_t FrameCount = 0;
  std::uint32_t StepCount = 0;  // after reading: the number of frames kept
  std::uint32_t Width = 0;
  std::uint32_t Height = 0;
  std::uint32_t BitCount = 0;
  std::uint32_t Planes = 0;
  std::uint32_t DefaultRate = 0;  // sixtieths of a second
  std::uint32_t Flags = 0;        // bit 0: the frames are icon resources
  static constexpr std::uint32_t kIconFlag = 1;
  friend bool operator==(const TAniHeader&, const TAniHeader&) = default;
};

class TIconFrame : public TPersistent {
public:
  std::string ClassName() const override { return "TIconFrame"; }
  // Copies every field; the icon into an own icon.
  void Assign(const TPersistent& source) override;

  // Absent until an icon chunk was matched to the frame.
  std::unique_ptr<TIconImage> Icon;
  bool IsIcon = false;
  std::array<std::uint8_t, 8> ChunkHeader{};
  TPoint HotSpot;
  std::int32_t Rate = 0;
  // Matches the frame to its icon chunk; -1 for frames made for surplus icons.
  std::int32_t Key = 0;
};

// One step of a cursor's animation: the frame shown and for how long (sixtieths of a second).
struct TCursorStep {
  int Frame = 0;
  std::int32_t Rate = 0;
  friend bool operator==(const TCursorStep&, const TCursorStep&) = default;
};

// The colour count of BIT_COUNT bits per pixel as animated cursors count it: 2, 16, 256 for
// 1, 4, 8 bits, 0 otherwise.
int AniColorsOfBitCount(int bit_count);

class TAnimatedCursorImage : public TPersistent {
public:
  TAnimatedCursorImage() = default;
  TAnimatedCursorImage(const TAnimatedCursorImage&) = delete;
  TAnimatedCursorImage& operator=(const TAnimatedCursorImage&) = delete;

  std::string ClassName() const override { return "TAnimatedCursorImage"; }

  int FrameCount() const { return static_cast<int>(frames_.size()); }
  TIconImage* FrameIcon(int index) const;
  TIconFrame& Frame(int index) const;
  const TAniHeader& Header() const { return header_; }
  const std::string& Title() const { return title_; }
  const std::string& Author() const { return author_; }
  // The largest colour count met in the frames' images.
  std::int32_t MaxColors() const { return max_colors_; }
  // The animation in the order the cursor plays it: as many steps as the header's step count,
  // step N showing the frame that holds the icon the sequence's entry N names (without a
  // sequence, icon N) for the rate entry N (without one, the default rate). Steps naming an icon
  // the file does not hold are left out; when none is left, every frame plays once in order at
  // its own rate. Empty without frames.
  const std::vector<TCursorStep>& Steps() const { return steps_; }

  void Clear();
  // Everything from the stream's position to its end. A malformed file fails with EReadError
  // "Stream read error" and leaves the cursor cleared.
  void LoadFromStream(TStream& stream);
  // Opens the file for reading without denying other readers or writers.
  void LoadFromFile(const std::string& file_name);
  // Not supported: tells the user so and ends with a silent abort (EAbort).
  void SaveToStream(TStream& stream) const;

  // From another animated cursor: header, texts, MaxColors and a copy of every frame.
  void Assign(const TPersistent& source) override;

  // All frames side by side (or one below the other when VERTICAL) on BACKGROUND (a colour
  // value red + green * 256 + blue * 65536), as a 24-bit picture; empty without frames. Every
  // cell has the first frame's size.
  TDib FrameStrip(bool vertical, std::uint32_t background) const;
  // The strip reduced to max(MaxColors, 16) colours, as a bitmap file image at position 0.
  std::unique_ptr<TMemoryStream> ReducedFrameStrip(bool vertical, std::uint32_t background) const;

protected:
  // Icon targets (TIconImage) get the first frame's icon; icon lists every frame's icon.
  void AssignTo(TPersistent& dest) const override;

private:
  void Parse(TMemoryStream& data);
  void ReadFrameList(TMemoryStream& data, std::int64_t remaining);
  void ReadInfoList(TMemoryStream& data, std::int64_t remaining);
  void MakeSteps(std::uint32_t declared_steps);
  std::unique_ptr<TIconImage> ReadIcon(TMemoryStream& data, std::uint32_t size, bool& is_icon, TPoint& hot_spot);

  TAniHeader header_;
  std::string title_;
  std::string author_;
  std::int32_t max_colors_ = 0;
  std::vector<std::unique_ptr<TIconFrame>> frames_;
  std::vector<TCursorStep> steps_;
  // Reading state: the next frame of the rate and sequence entries, and the next icon's key.
  std::size_t rate_index_ = 0;
  std::size_t seq_index_ = 0;
  std::int32_t icon_index_ = 0;
  // Every rate and sequence entry, and the frame each icon went to, for the steps.
  std::vector<std::uint32_t> rates_;
  std::vector<std::uint32_t> sequence_;
  std::vector<const TIconFrame*> icon_frames_;
  // Set when a list chunk meets data it cannot read, which ends the whole parse.
  bool stopped_ = false;
};

// How the platform gives cursors to its own graphics (icons get the first frame, bitmaps the
// reduced frame strip); returns false for targets it does not know.
using TCursorAssignHook = std::function<bool(const TAnimatedCursorImage& cursor, TPersistent& dest)>;
TCursorAssignHook& AnimatedCursorPlatformAssign();

}  // namespace tw
