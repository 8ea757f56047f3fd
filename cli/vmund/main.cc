// Entry point of the vmund command; everything else is in app.cc.
#include <iostream>
#include <string>
#include <vector>

#include "vmund/app.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv, argv + argc);
  return vmund::runVmund(args, std::cout, std::cerr);
}
