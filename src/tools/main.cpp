#include <iostream>

#include "tools/notarra_table.h"

using namespace notarra;

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  const std::vector<std::string> args(argv + 1, argv + argc);
  return RunNotarraTable(args, std::cin, std::cout, std::cerr);
}
