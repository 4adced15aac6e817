// Errors of notarra-table. TToolError is bad input or a failed operation
// (exit status 1); TUsageError is a wrong command line (exit status 2).
#pragma once

#include <stdexcept>
#include <string>

namespace notarra {

class TToolError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

class TUsageError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

}  // namespace notarra
