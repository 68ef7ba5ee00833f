#include "check/duplicate_engine.h"

namespace kestrilo {

DuplicateEngine::DuplicateEngine(SignatureTable& table, ResultSet& results, StatusPanels& status,
                                 const JobSettings& settings, const StopRequest& stop, FileSystem& fs)
    : table_(table), results_(results), status_(status), settings_(settings), stop_(stop), fs_(fs) {}

}  // namespace kestrilo
