// The vmund command run in process, for the command's tests: its exit status
// and what it wrote to each stream.
#ifndef VMUND_TESTS_CLI_RUN_VMUND_H_
#define VMUND_TESTS_CLI_RUN_VMUND_H_

#include <sstream>
#include <string>
#include <vector>

#include "vmund/app.h"

namespace vmund_test {

struct Outcome {
  int status;
  std::string out;
  std::string err;
};

// `args` without the program name.
inline Outcome runVmund(std::vector<std::string> args) {
  args.insert(args.begin(), "vmund");
  std::ostringstream out, err;
  int status = vmund::runVmund(args, out, err);
  return Outcome{status, out.str(), err.str()};
}

}  // namespace vmund_test

#endif  // VMUND_TESTS_CLI_RUN_VMUND_H_
