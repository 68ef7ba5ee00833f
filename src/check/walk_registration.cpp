#include "check/walk_registration.h"

#include <utility>

#include "check/status_texts.h"
#include "platform/storage_reads.h"

namespace kestrilo {

namespace {

constexpr std::size_t kBatchFiles = 64;
constexpr std::size_t kBatchesAhead = 64;
// Whether the disk is being read is asked every this many batches (asking
// costs a few system calls), and taken as so once this much has been read.
constexpr std::size_t kBatchesBetweenLooks = 8;
constexpr std::uint64_t kReadFromDisk = 256 * 1024;

}  // namespace

WalkRegistration::WalkRegistration(SignatureTable& table, StatusPanels& status, const StopRequest& stop, FileSystem& fs,
                                   unsigned threads, unsigned mostThreads)
    : table_(table),
      status_(status),
      stop_(stop),
      fs_(fs),
      mostThreads_(mostThreads),
      storageReadAtStart_(StorageReadBytes()),
      reads_(threads, kBatchesAhead) {
  if (!storageReadAtStart_) {
    reads_.Deepen(mostThreads_);
    deep_ = true;
  }
}

bool WalkRegistration::Add(std::string path, FolderHandle folder, std::size_t nameAt) {
  return Queue({std::move(path), std::move(folder), nameAt});
}

bool WalkRegistration::AddInCloud(std::string path) { return Queue({std::move(path), nullptr, 0, true}); }

bool WalkRegistration::Queue(WalkedFile file) {
  batch_.push_back(std::move(file));
  if (batch_.size() >= kBatchFiles) return Flush();
  return !stopped_;
}

bool WalkRegistration::Say(const std::string& text) {
  if (!Finish()) return false;
  status_.SetPanelText(1, text);
  return true;
}

bool WalkRegistration::Finish() {
  if (!Flush()) return false;
  while (!reads_.Empty()) {
    if (!RegisterOldest()) return false;
  }
  return true;
}

bool WalkRegistration::Flush() {
  if (stopped_) return false;
  if (batch_.empty()) return true;
  while (!reads_.HasRoom()) {
    if (!RegisterOldest()) return false;
  }
  reads_.Push([this, files = std::move(batch_)]() mutable {
    std::vector<FileProbe> probes = ProbeAll(files);
    return ProbedBatch{std::move(files), std::move(probes)};
  });
  batch_.clear();
  DeepenWhenReadingTheDisk();
  // Register whatever is done already, so the count keeps moving.
  while (reads_.Ready()) {
    if (!RegisterOldest()) return false;
  }
  return true;
}

void WalkRegistration::DeepenWhenReadingTheDisk() {
  if (deep_ || ++batchesQueued_ % kBatchesBetweenLooks != 0) return;
  const std::optional<std::uint64_t> read = StorageReadBytes();
  if (!read || *read < *storageReadAtStart_ + kReadFromDisk) return;
  reads_.Deepen(mostThreads_);
  deep_ = true;
}

std::vector<FileProbe> WalkRegistration::ProbeAll(const Batch& files) {
  if (stop_.IsSet()) return {};
  std::vector<HeadRequest> requests;
  requests.reserve(files.size());
  for (const auto& file : files) {
    if (!file.inCloud) requests.push_back({file.folder.get(), file.path.c_str() + file.nameAt, &file.path});
  }
  std::vector<FileProbe> read = ProbeFiles(fs_, requests);
  if (requests.size() == files.size()) return read;
  // A file in the cloud keeps its place with a probe that nobody looks at.
  std::vector<FileProbe> probes;
  probes.reserve(files.size());
  std::size_t next = 0;
  for (const auto& file : files) {
    if (!file.inCloud && next == read.size()) break;
    probes.push_back(file.inCloud ? FileProbe{} : read[next++]);
  }
  return probes;
}

bool WalkRegistration::RegisterOldest() {
  const ProbedBatch batch = reads_.Take();
  for (std::size_t i = 0; i < batch.files.size(); ++i) {
    if (stop_.IsSet() || i >= batch.probes.size()) return Stop();
    Register(batch.files[i], batch.probes[i]);
  }
  return true;
}

bool WalkRegistration::Stop() {
  stopped_ = true;
  reads_.Cancel();
  return false;
}

void WalkRegistration::Register(const WalkedFile& file, const FileProbe& probe) {
  const std::string& path = file.path;
  if (file.inCloud) {
    status_.SetPanelText(1, "[" + path + "]" + texts::kFileInCloud);
    return;
  }
  switch (probe.outcome) {
    case FileProbe::Outcome::TooLarge:
      status_.SetPanelText(1, "[" + path + "]" + texts::kTooLarge);
      return;
    case FileProbe::Outcome::Empty:
      status_.SetPanelText(1, "[" + path + "]" + texts::kZeroSize);
      return;
    case FileProbe::Outcome::Unopenable:
      status_.SetPanelText(1, "[" + path + "]" + texts::kMd5Error);
      return;
    case FileProbe::Outcome::Digested:
      break;
  }
  const std::string signature = MakeSignature(probe.digest, static_cast<std::uint32_t>(probe.size));
  if (table_.AddHash(signature, path, probe.rest) != 0)
    status_.SetPanelText(1, "[" + path + "]" + texts::kAddHashError);
  status_.SetPanelText(0, std::to_string(table_.GetFileCount()));
}

}  // namespace kestrilo
