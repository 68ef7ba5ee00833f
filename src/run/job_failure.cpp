#include "run/job_failure.h"

#include <exception>
#include <new>
#include <system_error>

#include "run/run_texts.h"

namespace kestrilo {

std::string CurrentJobFailureText() {
  try {
    throw;
  } catch (const std::bad_alloc&) {
    return texts::kOutOfMemory;
  } catch (const std::system_error& error) {
    // Threads that cannot be started (no memory for their stacks, too many
    // of them) are the usual cause.
    return texts::kOutOfResources + std::string(error.what());
  } catch (const std::exception& error) {
    return error.what();
  } catch (...) {
    return texts::kUnknownFailure;
  }
}

}  // namespace kestrilo
