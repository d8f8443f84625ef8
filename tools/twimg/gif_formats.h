#pragma once
// The GIF and animated-cursor entries of twimg's decode and info commands, which pick the
// reader by the file's signature.

#include <cstdint>
#include <string>
#include <vector>

#include "tools/twimg/command.h"

namespace tw::twimg {

bool IsGif(const std::vector<std::uint8_t>& bytes);
bool IsAnimatedCursor(const std::vector<std::uint8_t>& bytes);
// Writes the frames asked for by --frame N (default 0) or --all-frames; returns the exit code.
int DecodeGifFile(const std::vector<std::uint8_t>& bytes, const Args& args, const std::string& out);
int DecodeAniFile(const std::vector<std::uint8_t>& bytes, const Args& args, const std::string& out);
// The file's structure as one line of JSON.
std::string GifFileInfo(const std::vector<std::uint8_t>& bytes);
std::string AniFileInfo(const std::vector<std::uint8_t>& bytes);

}  // namespace tw::twimg
