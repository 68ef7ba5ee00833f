#pragma once
// The bulk deletions without a question: every duplicate below a folder, or
// on the file system that holds a folder. No group ever loses its last file
// (see DelFiles). Panel 1 gets the count of removed files, or the refusal.
//
// For callers that asked already or need not ask (the command line); the
// window's commands ask first and then use it. Owns nothing it is given.

#include <optional>
#include <string>

#include "check/result_set.h"
#include "delete/verified_removal.h"
#include "platform/file_system.h"
#include "toolkit/status_panels.h"
#include "toolkit/stop_request.h"

namespace kestrilo {

class DuplicateDeletion {
 public:
  DuplicateDeletion(ResultSet& results, StatusPanels& status, FileSystem& fs);

  // `folder` is a folder path. Both return the number of files removed, or
  // nothing when the scope is refused (a network file system). Once `stop`
  // is set, the pass removes nothing more and counts what it removed.
  std::optional<int> DeleteBelow(const std::string& folder, const StopRequest& stop);
  std::optional<int> DeleteOnDrive(const std::string& folder, const StopRequest& stop);
  // Below the mount point of a file system already found acceptable.
  int DeleteOnMount(const FileSystem::MountInfo& mount, const StopRequest& stop);

  // The file system of `folder` when it may be a bulk deletion's scope;
  // otherwise nothing, and panel 1 says why.
  std::optional<FileSystem::MountInfo> AcceptableMountOf(const std::string& folder);

  // Told of every file removed from now on.
  void SetRemovalObserver(RemovalObserver observer) { observer_ = std::move(observer); }
  // Told of every file in scope that stayed although a partner was found
  // for it, from now on.
  void SetFailureObserver(FailureObserver observer) { failed_ = std::move(observer); }

 private:
  VerifiedRemoval Removal();

  ResultSet& results_;
  StatusPanels& status_;
  FileSystem& fs_;
  RemovalObserver observer_;
  FailureObserver failed_;
};

}  // namespace kestrilo
