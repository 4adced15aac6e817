#include <iostream>

#include "platform/file_io.h"
#include "tools/notarra_table.h"

using namespace notarra;

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  // An interrupted save leaves the old table as it was and no temporary file beside it.
  RemoveTemporaryFilesOnSignals();
  const std::vector<std::string> args(argv + 1, argv + argc);
  return RunNotarraTable(args, std::cin, std::cout, std::cerr);
}
