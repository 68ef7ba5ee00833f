#pragma once
// The settings the jobs read from the window: the wildcard (FilterText), the
// sort flag (SortFlag) and the quick-check flag (QuickCheck).

#include <string>

namespace kestrilo {

class JobSettings {
 public:
  virtual ~JobSettings() = default;
  virtual std::string FilterText() const = 0;
  virtual bool SortFlag() const = 0;
  virtual bool QuickCheck() const = 0;
};

// Settings held in plain members; the defaults are those of a fresh start.
class MemoryJobSettings final : public JobSettings {
 public:
  std::string filterText = "*.*";
  bool sortFlag = true;
  bool quickCheck = false;

  std::string FilterText() const override { return filterText; }
  bool SortFlag() const override { return sortFlag; }
  bool QuickCheck() const override { return quickCheck; }
};

}  // namespace kestrilo
