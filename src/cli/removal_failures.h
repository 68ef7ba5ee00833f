#pragma once
// What kestrilo-cli says on standard error of a file that a deletion left in
// place.

#include <string>

#include "delete/verified_removal.h"

namespace kestrilo::cli {

// "kestrilo-cli: cannot delete PATH: REASON" and a line end.
std::string RemovalFailureLine(const std::string& path, RemovalFailure why);

}  // namespace kestrilo::cli
