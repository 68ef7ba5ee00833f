#pragma once
// What a job that ended by an exception says in panel 1 (and the command line
// on standard error): running out of memory or of threads is told as such,
// not as the bare name of an exception type.

#include <string>

namespace kestrilo {

// The text for the exception being handled; call it inside a catch block only.
std::string CurrentJobFailureText();

}  // namespace kestrilo
