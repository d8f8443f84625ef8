// twimg: the command-line front of Tarnwick's picture codecs.
#include <cstdio>
#include <exception>
#include <map>

#include "framework/exception.h"
#include "framework/stream.h"
#include "tools/twimg/command.h"

namespace tw::twimg {
namespace {

std::map<std::string, Command>& Commands() {
  static std::map<std::string, Command> commands;
  return commands;
}

int Usage() {
  std::fprintf(stderr, "usage: twimg COMMAND ...\n");
  for (const auto& [name, command] : Commands()) std::fprintf(stderr, "  twimg %s %s\n", name.c_str(), command.usage);
  return 2;
}

}  // namespace

void RegisterCommand(const Command& command) { Commands()[command.name] = command; }

std::string OptionValue(const Args& args, const std::string& flag) {
  for (size_t i = 0; i + 1 < args.size(); ++i)
    if (args[i] == flag) return args[i + 1];
  return {};
}

bool HasFlag(const Args& args, const std::string& flag) {
  for (const auto& word : args)
    if (word == flag) return true;
  return false;
}

std::vector<std::string> Positional(const Args& args, const std::vector<std::string>& flags_with_values) {
  std::vector<std::string> words;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i].rfind("--", 0) == 0) {
      for (const auto& flag : flags_with_values)
        if (args[i] == flag) ++i;
      continue;
    }
    words.push_back(args[i]);
  }
  return words;
}

std::vector<std::string> Files(const Args& args, std::size_t count, const std::vector<std::string>& flags_with_values,
                               const std::string& usage) {
  std::vector<std::string> files = Positional(args, flags_with_values);
  if (files.size() != count) throw EConvertError("usage: twimg " + usage);
  return files;
}

int IntOption(const Args& args, const std::string& flag, int low, int high, int fallback) {
  if (!HasFlag(args, flag)) return fallback;
  return RequiredIntOption(args, flag, low, high);
}

int RequiredIntOption(const Args& args, const std::string& flag, int low, int high) {
  const std::string text = OptionValue(args, flag);
  std::size_t used = 0;
  int value = 0;
  try {
    value = std::stoi(text, &used);
  } catch (const std::exception&) {
    used = 0;
  }
  if (text.empty() || used != text.size() || value < low || value > high) {
    const std::string range = low == INT_MIN && high == INT_MAX
                                  ? std::string()
                                  : " from " + std::to_string(low) + " to " + std::to_string(high);
    throw EConvertError(flag + " needs a whole number" + range + ", not '" + text + "'");
  }
  return value;
}

std::vector<std::uint8_t> ReadFileBytes(const std::string& name) {
  TMemoryStream stream;
  stream.LoadFromFile(name);
  return stream.Bytes();
}

}  // namespace tw::twimg

int main(int argc, char** argv) {
  using namespace tw::twimg;
  if (argc < 2) return Usage();
  auto found = Commands().find(argv[1]);
  if (found == Commands().end()) return Usage();
  try {
    return found->second.run(Args(argv + 2, argv + argc));
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
}
