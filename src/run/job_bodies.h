#pragma once
// The bodies of the two long jobs as the worker thread runs them: the folder
// walk, and the duplicate check (the extraction, then the verification when
// it found candidates).

#include <string>

#include "check/check_session.h"

namespace kestrilo {

class JobBodies {
 public:
  virtual ~JobBodies() = default;
  virtual void GetFiles(const std::string& path) = 0;
  virtual CheckOutcome RunDuplicateCheck() = 0;
};

// The jobs of a check session.
class SessionJobBodies final : public JobBodies {
 public:
  explicit SessionJobBodies(CheckSession& session) : session_(session) {}
  void GetFiles(const std::string& path) override { session_.GetFiles(path); }
  CheckOutcome RunDuplicateCheck() override { return session_.RunDuplicateCheck(); }

 private:
  CheckSession& session_;
};

}  // namespace kestrilo
