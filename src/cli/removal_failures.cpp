#include "cli/removal_failures.h"

namespace kestrilo::cli {

namespace {

const char* Reason(RemovalFailure why) {
  switch (why) {
    case RemovalFailure::Gone:
      return "it is gone";
    case RemovalFailure::NotAFile:
      return "it is no longer a regular file";
    case RemovalFailure::NoCopy:
      return "no copy of its group holds the same bytes any more";
    case RemovalFailure::InUse:
      return "another program has it open";
    case RemovalFailure::ReadOnly:
      return "it is read-only";
    case RemovalFailure::Denied:
      return "permission denied";
    case RemovalFailure::Other:
      break;
  }
  return "the system refused";
}

}  // namespace

std::string RemovalFailureLine(const std::string& path, RemovalFailure why) {
  return "kestrilo-cli: cannot delete " + path + ": " + Reason(why) + "\n";
}

}  // namespace kestrilo::cli
