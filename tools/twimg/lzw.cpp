// twimg lzw-encode / lzw-decode: one frame's GIF code stream to and from a bitmap file.
#include <cstdio>
#include <span>
#include <string>

#include "framework/dib.h"
#include "framework/exception.h"
#include "framework/stream.h"
#include "framework/string_table.h"
#include "tools/twimg/command.h"
#include "viewers/gif/lzw.h"

namespace tw::twimg {
namespace {

constexpr const char* kEncodeUsage = "IN.bmp OUT.lzw [--interlace]";
constexpr const char* kDecodeUsage =
    "IN.lzw OUT.bmp --width W --height H --bpp 1|4|8 [--interlace] [--tolerant]";

int Encode(const Args& args) {
  const auto files = Files(args, 2, {}, std::string("lzw-encode ") + kEncodeUsage);
  TDib dib;
  {
    TFileStream in(files[0], fmOpenRead);
    dib.LoadFromBitmapFile(in);
  }
  const int bpp = dib.BitsPerPixel();
  if (bpp != 1 && bpp != 4 && bpp != 8) throw EInvalidGraphicOperation(LoadStr(SGIFEncodeError));
  TMemoryStream out;
  LzwEncode(out, dib.Width(), dib.Height(), bpp, HasFlag(args, "--interlace"), nullptr,
            std::span<const std::uint8_t>(dib.Bits(), dib.ImageSize()));
  out.SaveToFile(files[1]);
  return 0;
}

int Decode(const Args& args) {
  const auto files = Files(args, 2, {"--width", "--height", "--bpp"}, std::string("lzw-decode ") + kDecodeUsage);
  const int width = RequiredIntOption(args, "--width");
  const int height = RequiredIntOption(args, "--height");
  const int bpp = RequiredIntOption(args, "--bpp");
  if (bpp != 1 && bpp != 4 && bpp != 8) throw EConvertError("--bpp must be 1, 4 or 8");

  TDib dib(width, height, bpp);
  const int colors = 1 << bpp;
  for (int i = 0; i < colors; ++i) {
    const auto level = static_cast<std::uint8_t>(i * 255 / (colors - 1));
    dib.Palette()[i] = TRGBQuad{level, level, level, 0};
  }
  TMemoryStream in;
  in.LoadFromFile(files[0]);
  bool damaged = false;
  LzwDecode(in, width, height, bpp, HasFlag(args, "--interlace"), nullptr, damaged,
            std::span<std::uint8_t>(dib.Bits(), dib.ImageSize()), bpp, HasFlag(args, "--tolerant"));
  if (damaged) std::fprintf(stderr, "twimg: the code stream is damaged; the picture is incomplete\n");
  TFileStream out(files[1], fmCreate);
  dib.SaveToBitmapFile(out);
  return 0;
}

const CommandRegistrar encode_command{{"lzw-encode", kEncodeUsage, &Encode}};
const CommandRegistrar decode_command{{"lzw-decode", kDecodeUsage, &Decode}};

}  // namespace
}  // namespace tw::twimg
