#include <iostream>

#include "SignatureTool.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  return zq::RunSignatureTool(args, std::cout, std::cerr);
}
