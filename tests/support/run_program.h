// Runs a program as a child process and collects its exit status and output, for end-to-end tests.
#pragma once

#include <string>
#include <vector>

namespace nephrax::testing {

struct ProgramResult {
  int exit_status = -1;  // the status as a shell sees it (0..255), or -1 when it did not exit
  std::string out;
  std::string err;
};

// Runs `program` with `arguments` (argv[1]...) and the extra environment entries ("NAME=value").
ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                         const std::vector<std::string>& environment = {});

// Runs the calling program again with `arguments` and waits for it; true when it exits with 0.
// Benchmarks use it so that each measured step has a process, and a peak memory, of its own.
bool RunSelf(const std::vector<std::string>& arguments);

// The nephrax executable of this build.
std::string NephraxPath();

}  // namespace nephrax::testing
