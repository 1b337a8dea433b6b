// The tool's commands; each takes the arguments after its name and returns the exit code.
#ifndef MORVANE_TOOLS_COMMANDS_H_
#define MORVANE_TOOLS_COMMANDS_H_

#include <string>
#include <vector>

namespace morvane_tool {

int RunShowcase(const std::vector<std::string>& args);
int RunCompose(const std::vector<std::string>& args);

}  // namespace morvane_tool

#endif  // MORVANE_TOOLS_COMMANDS_H_
