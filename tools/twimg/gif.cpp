// twimg for GIF files and animated cursors:
//   decode IN OUT.bmp [--frame N | --all-frames]   (the entries DecodeGifFile / DecodeAniFile)
//   info IN                                         (the entries GifFileInfo / AniFileInfo)
//   encode-gif OUT.gif IN.bmp... [--method M] [--delay MS] [--loop N] [--interlace]
// A cursor frame's bitmap is the frame a GIF picture makes of it: the icon over fuchsia.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "framework/dib.h"
#include "framework/exception.h"
#include "framework/stream.h"
#include "tools/twimg/command.h"
#include "tools/twimg/gif_formats.h"
#include "viewers/animated_cursor.h"
#include "viewers/color_reduction.h"
#include "viewers/gif/gif_image.h"
#include "viewers/gif/lzw.h"

namespace tw::twimg {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::string Json(const std::string& text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
      out += escaped;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

std::string Bool(bool value) { return value ? "true" : "false"; }

std::string Color(TColor color) {
  if (color == clNone) return "null";
  char text[16];
  std::snprintf(text, sizeof text, "\"#%02x%02x%02x\"", ColorRed(color), ColorGreen(color), ColorBlue(color));
  return text;
}

void SaveBitmap(const TDib& dib, const std::string& name) {
  TFileStream file(name, fmCreate);
  dib.SaveToBitmapFile(file);
}

// Writes the frames the options ask for: one (--frame N, 0 by default) to OUT, or every frame to
// OUT-0.bmp, OUT-1.bmp, ... (OUT without its ".bmp").
int SaveFrames(TGIFImage& image, const Args& args, const std::string& out) {
  if (image.FrameCount() == 0) throw EConvertError("decode: the file holds no frames");
  if (HasFlag(args, "--all-frames")) {
    std::string stem = out;
    if (stem.size() > 4 && (stem.ends_with(".bmp") || stem.ends_with(".BMP"))) stem.resize(stem.size() - 4);
    for (int i = 0; i < image.FrameCount(); ++i)
      SaveBitmap(image.FrameAt(i).FrameBitmap(), stem + "-" + std::to_string(i) + ".bmp");
    return 0;
  }
  const int frame = IntOption(args, "--frame", 0, image.FrameCount() - 1, 0);
  SaveBitmap(image.FrameAt(frame).FrameBitmap(), out);
  return 0;
}

ReductionMethod MethodOption(const Args& args) {
  if (!HasFlag(args, "--method")) return DefaultReductionMethod;
  const std::string name = OptionValue(args, "--method");
  const char* names[] = {"popularity", "mediancut", "levels784", "levels666", "channeldither", "gray"};
  for (int i = 0; i < 6; ++i)
    if (name == names[i]) return static_cast<ReductionMethod>(i);
  throw EConvertError("--method needs popularity, mediancut, levels784, levels666, channeldither or gray, not '" +
                      name + "'");
}

// Replaces the frame's code by the same pixels coded in interlaced row order.
void Interlace(TGIFFrame& frame) {
  frame.EncodeFrame();
  TDib pixels;
  pixels.LoadFromBitmapFile(*frame.DecodeToDib());
  TGIFItem& item = *frame.Item;
  item.CodeStream->Clear();
  LzwEncode(*item.CodeStream, pixels.Width(), pixels.Height(), pixels.BitsPerPixel(), true, nullptr,
            std::span<const std::uint8_t>(pixels.Bits(), pixels.ImageSize()));
  item.CodeStream->SetPosition(0);
  frame.Interlaced = true;
}

constexpr const char* kEncodeUsage = "OUT.gif IN.bmp... [--method M] [--delay MS] [--loop N] [--interlace]";

int EncodeGif(const Args& args) {
  const auto files = Positional(args, {"--method", "--delay", "--loop"});
  if (files.size() < 2) throw EConvertError(std::string("usage: twimg encode-gif ") + kEncodeUsage);
  DefaultReductionMethod = MethodOption(args);
  const int delay = IntOption(args, "--delay", 0, 65535, 0);
  TGIFImage image;
  for (std::size_t i = 1; i < files.size(); ++i) {
    TDib dib;
    TFileStream in(files[i], fmOpenRead | fmShareDenyNone);
    dib.LoadFromBitmapFile(in);
    const int index = image.AppendFrame(dib);
    image.FrameAt(index).DelayMs = static_cast<std::uint16_t>(delay);
  }
  if (HasFlag(args, "--loop")) image.SetLoop(true, static_cast<std::uint16_t>(IntOption(args, "--loop", 0, 65535, 0)));
  if (HasFlag(args, "--interlace"))
    for (int i = 0; i < image.FrameCount(); ++i) Interlace(image.FrameAt(i));
  TFileStream out(files[0], fmCreate);
  image.SaveToStream(out);
  return 0;
}

const CommandRegistrar encode_gif_command{{"encode-gif", kEncodeUsage, &EncodeGif}};

}  // namespace

bool IsGif(const Bytes& bytes) {
  return bytes.size() >= 3 && (bytes[0] | 0x20) == 'g' && (bytes[1] | 0x20) == 'i' && (bytes[2] | 0x20) == 'f';
}

bool IsAnimatedCursor(const Bytes& bytes) {
  return bytes.size() >= 12 && std::string(bytes.begin(), bytes.begin() + 4) == "RIFF" &&
         std::string(bytes.begin() + 8, bytes.begin() + 12) == "ACON";
}

int DecodeGifFile(const Bytes& bytes, const Args& args, const std::string& out) {
  TGIFImage image;
  TMemoryStream stream(bytes);
  image.ReadGif(stream.Size(), stream, false);
  return SaveFrames(image, args, out);
}

int DecodeAniFile(const Bytes& bytes, const Args& args, const std::string& out) {
  TAnimatedCursorImage cursor;
  TMemoryStream stream(bytes);
  cursor.LoadFromStream(stream);
  TGIFImage image;
  image.Assign(cursor);
  return SaveFrames(image, args, out);
}

std::string GifFileInfo(const Bytes& bytes) {
  TGIFImage image;
  TMemoryStream stream(bytes);
  image.ReadGif(stream.Size(), stream, false);
  const TGIFData& data = image.SharedData();
  std::string comment;
  for (const auto& line : data.CommentLines) comment += line;
  std::string json = "{\"format\": \"gif\", \"version\": \"";
  json += image.FormatVersion() == 2 ? "89a" : "87a";
  json += "\", \"logical_width\": " + std::to_string(image.LogicalWidth()) +
          ", \"logical_height\": " + std::to_string(image.LogicalHeight()) +
          ", \"background\": " + Color(image.BackColor()) +
          ", \"loop\": " + (image.LoopEnabled() ? std::to_string(image.LoopCount()) : std::string("null")) +
          ", \"global_table\": " + std::to_string(data.GlobalTable.Count) + ", \"comment\": " + Json(comment) +
          ", \"frames\": [";
  for (int i = 0; i < image.FrameCount(); ++i) {
    TGIFFrame& frame = image.FrameAt(i);
    bool damaged = frame.Damaged;
    try {
      frame.FrameBitmap();
      damaged = frame.Damaged;
    } catch (const Exception&) {
      damaged = true;
    }
    if (i) json += ", ";
    json += "{\"left\": " + std::to_string(frame.Origin.X) + ", \"top\": " + std::to_string(frame.Origin.Y) +
            ", \"width\": " + std::to_string(frame.Item->ImageWidth) +
            ", \"height\": " + std::to_string(frame.Item->ImageHeight) + ", \"interlaced\": " + Bool(frame.Interlaced) +
            ", \"delay_ms\": " + std::to_string(frame.DelayMs) +
            ", \"disposal\": " + std::to_string(frame.DisposalCode) + ", \"key_color\": " + Color(frame.KeyColor) +
            ", \"local_table\": " + std::to_string(frame.HasLocalTable ? frame.Item->ColorTable.Count : 0) +
            ", \"damaged\": " + Bool(damaged) + "}";
  }
  return json + "]}";
}

std::string AniFileInfo(const Bytes& bytes) {
  TAnimatedCursorImage cursor;
  TMemoryStream stream(bytes);
  cursor.LoadFromStream(stream);
  const TAniHeader& h = cursor.Header();
  std::string json = "{\"format\": \"ani\", \"title\": " + Json(cursor.Title()) + ", \"author\": " +
                     Json(cursor.Author()) + ", \"header\": {\"header_size\": " + std::to_string(h.HeaderSize) +
                     ", \"frame_count\": " + std::to_string(h.FrameCount) +
                     ", \"step_count\": " + std::to_string(h.StepCount) + ", \"width\": " + std::to_string(h.Width) +
                     ", \"height\": " + std::to_string(h.Height) + ", \"bit_count\": " + std::to_string(h.BitCount) +
                     ", \"planes\": " + std::to_string(h.Planes) + ", \"default_rate\": " + std::to_string(h.DefaultRate) +
                     ", \"flags\": " + std::to_string(h.Flags) + "}, \"max_colors\": " +
                     std::to_string(cursor.MaxColors()) + ", \"frames\": [";
  for (int i = 0; i < cursor.FrameCount(); ++i) {
    const TIconFrame& frame = cursor.Frame(i);
    if (i) json += ", ";
    json += "{\"rate\": " + std::to_string(frame.Rate) + ", \"key\": " + std::to_string(frame.Key) +
            ", \"icon\": " + Bool(frame.IsIcon) + ", \"hot_spot\": [" + std::to_string(frame.HotSpot.X) + ", " +
            std::to_string(frame.HotSpot.Y) + "], \"width\": " + std::to_string(frame.Icon->Width()) +
            ", \"height\": " + std::to_string(frame.Icon->Height()) + "}";
  }
  return json + "]}";
}

}  // namespace tw::twimg
