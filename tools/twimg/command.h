#pragma once
// twimg's sub-commands register themselves here, one source file each:
//   static const tw::twimg::CommandRegistrar reduce{{"reduce", "IN.bmp OUT.bmp --method M", &Reduce}};
// A command returns the process exit code; a tw::Exception escaping it prints its message on
// standard error and exits with 1.

#include <climits>
#include <cstdint>
#include <string>
#include <vector>

namespace tw::twimg {

using Args = std::vector<std::string>;  // the words after the command name

struct Command {
  const char* name;
  const char* usage;
  int (*run)(const Args& args);
};

void RegisterCommand(const Command& command);

struct CommandRegistrar {
  explicit CommandRegistrar(const Command& command) { RegisterCommand(command); }
};

// Option helpers: the value after FLAG (empty if absent), whether FLAG is present, and the
// words that are neither flags nor flag values.
std::string OptionValue(const Args& args, const std::string& flag);
bool HasFlag(const Args& args, const std::string& flag);
std::vector<std::string> Positional(const Args& args, const std::vector<std::string>& flags_with_values);

// Exactly COUNT positional words, or an EConvertError showing "usage: twimg USAGE".
std::vector<std::string> Files(const Args& args, std::size_t count, const std::vector<std::string>& flags_with_values,
                               const std::string& usage);

// FLAG's value as a whole number within LOW..HIGH; FALLBACK when the flag is absent.
int IntOption(const Args& args, const std::string& flag, int low, int high, int fallback);
// FLAG's value as a whole number; the flag must be there.
int RequiredIntOption(const Args& args, const std::string& flag, int low = INT_MIN, int high = INT_MAX);

// The whole content of a file.
std::vector<std::uint8_t> ReadFileBytes(const std::string& name);

}  // namespace tw::twimg
