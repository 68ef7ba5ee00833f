// Speed and memory of the engine alone, without the command line around it:
// one walk of a tree (GetFiles), then one duplicate check (TakeOutCheckFiles
// and CheckFiles), on the in-memory toolkit.
//
//   bench_walk TREE [READER_THREADS]     (0 or absent: one per core)
//
// Reports files per second of the walk and of the whole check (walk,
// extraction and verification), and the peak resident memory.

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "check/check_session.h"
#include "platform/file_system.h"
#include "support/memory_status_panels.h"
#include "toolkit/job_settings.h"

namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

double PeakMiB() {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;  // ru_maxrss is in KiB on Linux
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: bench_walk TREE [READER_THREADS]\n");
    return 2;
  }
  const std::string tree = argv[1];
  unsigned readers = 0;
  if (argc == 3) {
    char* end = nullptr;
    unsigned long n = std::strtoul(argv[2], &end, 10);
    if (*end != '\0') {
      std::fprintf(stderr, "bench_walk: READER_THREADS must be a number\n");
      return 2;
    }
    readers = static_cast<unsigned>(n);
  }

  kestrilo::MemoryStatusPanels status(false);
  kestrilo::MemoryJobSettings settings;
  kestrilo::CheckSession session(status, settings, kestrilo::SystemFileSystem());
  session.SetReaderThreads(readers);
  // The passes one at a time, to time each.
  kestrilo::DuplicateEngine& engine = session.Engine();
  const kestrilo::SignatureTable& table = session.Table();

  const auto start = Clock::now();
  engine.GetFiles(tree);
  const double walkSeconds = SecondsSince(start);
  const double walkPeak = PeakMiB();
  const auto files = static_cast<double>(table.GetFileCount());

  const auto extractStart = Clock::now();
  const int rows = engine.TakeOutCheckFiles();
  const double extractSeconds = SecondsSince(extractStart);

  const auto verifyStart = Clock::now();
  if (rows > 0) engine.CheckFiles();
  const double verifySeconds = SecondsSince(verifyStart);
  const double totalSeconds = SecondsSince(start);

  std::printf("tree            %s\n", tree.c_str());
  std::printf("reader threads  %s\n", readers == 0 ? "one per core" : std::to_string(readers).c_str());
  std::printf("registered      %.0f files, %zu signatures, table %.1f bytes/file\n", files, table.SignatureCount(),
              files > 0 ? static_cast<double>(table.HeldBytes()) / files : 0.0);
  std::printf("walk            %.3f s, %.0f files/s, peak %.1f MiB\n", walkSeconds, files / walkSeconds, walkPeak);
  std::printf("extraction      %.3f s, %d rows\n", extractSeconds, rows);
  std::printf("verification    %.3f s, %s | %s\n", verifySeconds, status.Text(0).c_str(), status.Text(1).c_str());
  std::printf("whole check     %.3f s, %.0f files/s\n", totalSeconds, files / totalSeconds);
  std::printf("peak memory     %.1f MiB\n", PeakMiB());
  return 0;
}
