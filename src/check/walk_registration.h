#pragma once
// Registration of the walked files: each queued file's first bytes are read
// (its probe) on reader threads, in batches, ahead of the walk; the probes are
// registered in the signature table, with their status texts, strictly in the
// order the files were queued, and the stop request is looked at before each
// file. The outcome is the same as reading one file after another. There are
// as few readers as cores while the files come from the page cache; once they
// come from the disk, more are started, so that many reads wait on the disk
// at once (where the system cannot tell, they are all started at once).
//
// Call order: Add for every file in walk order, Say for a message that falls
// between two files, Finish at the end of the walk. Each returns false once a
// stop request ended the registration; the walk then ends too. One per walk,
// on the walk's thread; it refers to the table, panels, stop request and file
// system it is given, and owns its reader threads.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "check/folder_handles.h"
#include "fingerprint/file_signature.h"
#include "platform/file_system.h"
#include "platform/read_ahead.h"
#include "store/signature_table.h"
#include "toolkit/status_panels.h"
#include "toolkit/stop_request.h"

namespace kestrilo {

class WalkRegistration {
 public:
  WalkRegistration(SignatureTable& table, StatusPanels& status, const StopRequest& stop, FileSystem& fs,
                   unsigned threads, unsigned mostThreads);

  // Queues one file: its full path and, when there is one, a handle on its
  // folder with the offset of its name in `path`.
  bool Add(std::string path, FolderHandle folder = nullptr, std::size_t nameAt = 0);
  // Queues a file whose content is in the cloud: it is reported in its turn,
  // never opened.
  bool AddInCloud(std::string path);
  // Shows `text` in panel 1 after the texts of every file queued before it.
  bool Say(const std::string& text);
  // Registers everything queued.
  bool Finish();
  // Whether the files have been seen to come from the disk (or the system
  // cannot tell).
  bool ReadingTheDisk() const { return deep_; }

 private:
  struct WalkedFile {
    std::string path;
    FolderHandle folder;
    std::size_t nameAt = 0;
    bool inCloud = false;
  };
  using Batch = std::vector<WalkedFile>;
  struct ProbedBatch {
    Batch files;
    std::vector<FileProbe> probes;  // fewer than the files when a stop cut the reading short
  };

  bool Queue(WalkedFile file);
  bool Flush();
  // Starts the rest of the readers once the walk has had files read from the
  // disk.
  void DeepenWhenReadingTheDisk();
  std::vector<FileProbe> ProbeAll(const Batch& files);
  bool RegisterOldest();
  bool Stop();
  void Register(const WalkedFile& file, const FileProbe& probe);

  SignatureTable& table_;
  StatusPanels& status_;
  const StopRequest& stop_;
  FileSystem& fs_;
  Batch batch_;
  bool stopped_ = false;
  const unsigned mostThreads_;
  std::optional<std::uint64_t> storageReadAtStart_;
  std::size_t batchesQueued_ = 0;
  bool deep_ = false;
  // Last, so that its threads are joined before anything they use goes.
  ReadAhead<ProbedBatch> reads_;
};

}  // namespace kestrilo
