#pragma once
// The bodies of the two long jobs as the worker thread runs them: the folder
// walk, and the duplicate check's extraction and verification.

#include <string>

#include "check/duplicate_engine.h"

namespace kestrilo {

class JobBodies {
 public:
  virtual ~JobBodies() = default;
  virtual void GetFiles(const std::string& path) = 0;
  // The number of candidate rows laid out in the grid.
  virtual int TakeOutCheckFiles() = 0;
  virtual void CheckFiles() = 0;
};

// The jobs of the duplicate-check engine.
class EngineJobBodies final : public JobBodies {
 public:
  explicit EngineJobBodies(DuplicateEngine& engine) : engine_(engine) {}
  void GetFiles(const std::string& path) override { engine_.GetFiles(path); }
  int TakeOutCheckFiles() override { return engine_.TakeOutCheckFiles(); }
  void CheckFiles() override { engine_.CheckFiles(); }

 private:
  DuplicateEngine& engine_;
};

}  // namespace kestrilo
