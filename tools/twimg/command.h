#pragma once
// twimg's sub-commands register themselves here, one source file each:
//   static const tw::twimg::CommandRegistrar reduce{{"reduce", "IN.bmp OUT.bmp --method M", &Reduce}};
// A command returns the process exit code; a tw::Exception escaping it prints its message on
// standard error and exits with 1.

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

}  // namespace tw::twimg
