// kelvox2 bench --instances: what loading a plug-in and creating instances of
// it cost in time and memory, each plug-in measured in a process of its own.
#pragma once

#include <string>
#include <vector>

namespace kelvox2 {

int runInstanceBench(const std::vector<std::string>& paths);

}  // namespace kelvox2
