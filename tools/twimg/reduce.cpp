// twimg reduce IN.bmp OUT.bmp --method M: the 8-bit bitmap file that a reduction method makes
// of any bitmap file.
#include <map>
#include <string>

#include "framework/dib.h"
#include "framework/exception.h"
#include "framework/stream.h"
#include "tools/twimg/command.h"
#include "viewers/color_reduction.h"

namespace tw::twimg {
namespace {

int Reduce(const Args& args) {
  static const std::map<std::string, ReductionMethod> methods = {
      {"popularity", rmPopularity}, {"mediancut", rmMedianCut},           {"levels784", rmLevels784},
      {"levels666", rmLevels666},   {"channeldither", rmChannelDither}, {"gray", rmGray}};
  const auto files = Positional(args, {"--method"});
  const auto method = methods.find(OptionValue(args, "--method"));
  if (files.size() != 2 || method == methods.end())
    throw EConvertError("usage: twimg reduce IN.bmp OUT.bmp --method popularity|mediancut|levels784|levels666|channeldither|gray");
  TDib picture;
  {
    TFileStream in(files[0], fmOpenRead | fmShareDenyNone);
    picture.LoadFromBitmapFile(in);
  }
  auto reduced = BitmapToDib(picture, pf8bit, method->second);
  reduced->SaveToFile(files[1]);
  return 0;
}

const CommandRegistrar registrar{{"reduce", "IN.bmp OUT.bmp --method popularity|mediancut|levels784|levels666|channeldither|gray", &Reduce}};

}  // namespace
}  // namespace tw::twimg
