// twimg decode / encode-jpeg / info for JPEG files.
//   decode IN OUT.bmp [--scale 0..3] [--gray] [--depth 8|24]  (24 bits by default)
//   encode-jpeg IN.bmp OUT.jpg [--quality Q] [--gray] [--progressive]
//   info IN                                                  (JSON: width, height, gray, progressive)
// decode and info pick the reader by the file's signature; DecodeJpegFile and JpegFileInfo are
// the JPEG entries of that dispatch.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "framework/dib.h"
#include "framework/exception.h"
#include "framework/stream.h"
#include "tools/twimg/command.h"
#include "tools/twimg/gif_formats.h"
#include "viewers/jpeg_data.h"

namespace tw::twimg {
namespace {

using Bytes = std::vector<std::uint8_t>;

bool IsJpeg(const Bytes& bytes) { return bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xD8; }

}  // namespace

int DecodeJpegFile(const Bytes& bytes, const Args& args, const std::string& out) {
  TJPEGSettings settings = JpegDefaults;
  settings.ScaleShift = IntOption(args, "--scale", 0, 3, 0);
  settings.GrayOutput = HasFlag(args, "--gray");
  const int depth = IntOption(args, "--depth", 8, 24, 24);
  if (depth != 8 && depth != 24) throw EConvertError("--depth needs 8 or 24");
  settings.OutputDepth = depth == 8 ? 1 : 0;
  TJPEGData data;
  TMemoryStream stream(bytes);
  data.LoadFromStream(stream);
  const TDib dib = data.DecodeToDib(settings);
  TFileStream file(out, fmCreate);
  dib.SaveToBitmapFile(file);
  return 0;
}

std::string JpegFileInfo(const Bytes& bytes) {
  TJPEGData data;
  TMemoryStream stream(bytes);
  const bool progressive = data.LoadFromStream(stream);
  return "{\"format\": \"jpeg\", \"width\": " + std::to_string(data.ImageWidth()) +
         ", \"height\": " + std::to_string(data.ImageHeight()) +
         ", \"gray\": " + (data.Grayscale() ? "true" : "false") +
         ", \"progressive\": " + (progressive ? "true" : "false") + "}";
}

namespace {

constexpr const char* kDecodeUsage = "IN OUT.bmp [--scale 0..3] [--gray] [--depth 8|24] [--frame N | --all-frames]";
constexpr const char* kEncodeUsage = "IN.bmp OUT.jpg [--quality Q] [--gray] [--progressive]";
constexpr const char* kInfoUsage = "IN";

int Decode(const Args& args) {
  const auto files = Files(args, 2, {"--scale", "--depth", "--frame"}, std::string("decode ") + kDecodeUsage);
  const Bytes bytes = ReadFileBytes(files[0]);
  if (IsJpeg(bytes)) return DecodeJpegFile(bytes, args, files[1]);
  if (IsGif(bytes)) return DecodeGifFile(bytes, args, files[1]);
  if (IsAnimatedCursor(bytes)) return DecodeAniFile(bytes, args, files[1]);
  throw EConvertError("decode: " + files[0] + " is not a picture file twimg can read");
}

int Info(const Args& args) {
  const auto files = Files(args, 1, {}, std::string("info ") + kInfoUsage);
  const Bytes bytes = ReadFileBytes(files[0]);
  if (IsJpeg(bytes)) {
    std::printf("%s\n", JpegFileInfo(bytes).c_str());
    return 0;
  }
  if (IsGif(bytes) || IsAnimatedCursor(bytes)) {
    std::printf("%s\n", (IsGif(bytes) ? GifFileInfo(bytes) : AniFileInfo(bytes)).c_str());
    return 0;
  }
  throw EConvertError("info: " + files[0] + " is not a picture file twimg can read");
}

int EncodeJpeg(const Args& args) {
  const auto files = Files(args, 2, {"--quality"}, std::string("encode-jpeg ") + kEncodeUsage);
  TJPEGSettings settings = JpegDefaults;
  settings.Quality = IntOption(args, "--quality", 1, 100, settings.Quality);
  settings.GrayOutput = HasFlag(args, "--gray");
  settings.WriteProgressive = HasFlag(args, "--progressive");
  TDib dib;
  {
    TFileStream in(files[0], fmOpenRead | fmShareDenyNone);
    dib.LoadFromBitmapFile(in);
  }
  const auto data = TJPEGData::Compress(dib, settings);
  TFileStream out(files[1], fmCreate);
  data->SaveToStream(out);
  return 0;
}

const CommandRegistrar decode_command{{"decode", kDecodeUsage, &Decode}};
const CommandRegistrar info_command{{"info", kInfoUsage, &Info}};
const CommandRegistrar encode_command{{"encode-jpeg", kEncodeUsage, &EncodeJpeg}};

}  // namespace
}  // namespace tw::twimg
