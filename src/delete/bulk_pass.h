#pragma once
// One pass over the result set, top to bottom, that removes the duplicates
// among the rows in scope while every group keeps a file with its content.
//
// A numbered row in scope is removed when its nearest numbered row above (a
// row that stayed in this pass) is of its group, or else its nearest numbered
// row below is; and only when that partner's file is verified to hold the same
// content (VerifiedRemoval). A row that stays, for whatever reason, is the
// partner above for the rows after it. A partner below is removed later only
// on the strength of its own verified partner, so every chain of removals ends
// at a file that stays.

#include "check/result_set.h"
#include "delete/deletion_scope.h"
#include "delete/verified_removal.h"
#include "toolkit/stop_request.h"

namespace kestrilo {

// Returns the number of files removed. `stop` is looked at before each row;
// once it is set, nothing more is removed.
int DelFiles(const ResultSet& results, VerifiedRemoval& removal, const FolderScope& inScope, const StopRequest& stop);

}  // namespace kestrilo
