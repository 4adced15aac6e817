// notarra-table: the command-line tool for table files. The executable's
// main() only forwards its arguments here, so tests run the tool in-process.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace notarra {

// args excludes the program name. Exit status: 0 success, 1 bad input or a
// failed operation (the message goes to err, nothing is written), 2 a wrong
// command line (the usage text goes to err).
int RunNotarraTable(const std::vector<std::string>& args, std::istream& in, std::ostream& out, std::ostream& err);

// The usage text printed for --help and after a usage error.
const char* NotarraTableUsage();

}  // namespace notarra
