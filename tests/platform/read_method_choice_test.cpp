#include "platform/read_method_choice.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace kestrilo::testing {
namespace {

// A machine on which a file costs `nsPerFile(method, batch)` to read.
struct Machine {
  std::string name;
  std::function<long(ReadMethod, int)> nsPerFile;
  // Over batches [from, to), the way that must be taken, and the most batches
  // the other way may take there.
  int from = 0;
  int to = 0;
  ReadMethod faster = ReadMethod::Ring;
  int mostOtherWay = 0;
};

void PrintTo(const Machine& machine, std::ostream* out) { *out << machine.name; }

class ReadMethodChoiceOn : public ::testing::TestWithParam<Machine> {};

TEST_P(ReadMethodChoiceOn, TakesTheFasterWayAndTriesTheOtherNowAndThen) {
  const Machine& machine = GetParam();
  ReadMethodChoice choice;
  constexpr std::size_t kFiles = 32;
  int otherWay = 0;
  for (int batch = 0; batch < machine.to; ++batch) {
    const ReadMethod method = choice.Next();
    choice.Record(method, std::chrono::nanoseconds(machine.nsPerFile(method, batch) * long{kFiles}), kFiles);
    if (batch >= machine.from && method != machine.faster) ++otherWay;
  }
  EXPECT_LE(otherWay, machine.mostOtherWay);
  // The other way is still timed: a later change could turn the choice.
  EXPECT_GE(otherWay, (machine.to - machine.from) / 32 - 4);
}

long RingCheap(ReadMethod method, int) { return method == ReadMethod::Ring ? 3000 : 5000; }
long CallsCheap(ReadMethod method, int) { return method == ReadMethod::Ring ? 5000 : 3000; }
// A cold cache that warms: the ring's reads in flight win at first, the calls
// once every file is cached.
long Warming(ReadMethod method, int batch) {
  if (batch < 200) return method == ReadMethod::Ring ? 20000 : 90000;
  return CallsCheap(method, batch);
}
// The faster way held up once, as by the scheduler.
long HeldUpOnce(ReadMethod method, int batch) {
  if (method == ReadMethod::Ring && batch == 100) return 1'000'000;
  return RingCheap(method, batch);
}

INSTANTIATE_TEST_SUITE_P(, ReadMethodChoiceOn,
                         ::testing::Values(Machine{"ring_cheap", RingCheap, 8, 400, ReadMethod::Ring, 25},
                                           Machine{"calls_cheap", CallsCheap, 8, 400, ReadMethod::Calls, 25},
                                           Machine{"warming", Warming, 350, 650, ReadMethod::Calls, 19},
                                           Machine{"held_up_once", HeldUpOnce, 8, 400, ReadMethod::Ring, 25}),
                         [](const ::testing::TestParamInfo<Machine>& info) { return info.param.name; });

// Four batches a way.
TEST(ReadMethodChoice, FirstBatchesTakeTurns) {
  ReadMethodChoice choice;
  for (int batch = 0; batch < 8; ++batch) {
    const ReadMethod method = choice.Next();
    EXPECT_EQ(method, batch / 4 % 2 == 0 ? ReadMethod::Ring : ReadMethod::Calls) << batch;
    // Even a way that seems far faster is not preferred before both were timed.
    choice.Record(method, std::chrono::nanoseconds(method == ReadMethod::Ring ? 1'000'000 : 10), 1);
  }
  EXPECT_EQ(choice.Next(), ReadMethod::Calls);
}

// With many batches in flight at once (a deep pool of readers), every batch
// in flight is read one way: a batch of calls timed beside the ring's batches
// would be timed at another depth. A batch not read is recorded without files.
TEST(ReadMethodChoice, BatchesInFlightTogetherAreReadOneWay) {
  ReadMethodChoice choice;
  constexpr int kInFlight = 16;
  std::vector<ReadMethod> inFlight;
  for (int batch = 0; batch < kInFlight; ++batch) inFlight.push_back(choice.Next());
  EXPECT_EQ(std::count(inFlight.begin(), inFlight.end(), ReadMethod::Ring), kInFlight);
  // Each finished batch gives way to the next, as a pool of readers does,
  // until the first run of four batches per batch in flight is over.
  std::vector<ReadMethod> taken;
  for (int batch = 0; batch < 8 * kInFlight; ++batch) {
    const ReadMethod method = inFlight.front();
    inFlight.erase(inFlight.begin());
    choice.Record(method, std::chrono::nanoseconds(method == ReadMethod::Calls ? 500 : 1000), batch % 5 == 0 ? 0 : 1);
    inFlight.push_back(choice.Next());
    taken.push_back(inFlight.back());
  }
  const auto firstCalls = std::find(taken.begin(), taken.end(), ReadMethod::Calls);
  EXPECT_EQ(firstCalls - taken.begin(), 4 * kInFlight - kInFlight);
  EXPECT_TRUE(std::all_of(firstCalls, firstCalls + 4 * kInFlight, [](ReadMethod m) { return m == ReadMethod::Calls; }));
}

// A guided choice takes its guide's way from the first batch, and its own once
// it has timed both ways.
TEST(ReadMethodChoice, GuidedChoiceFollowsItsGuideUntilItKnowsBetter) {
  ReadMethodChoice guide;
  for (int batch = 0; batch < 8; ++batch) {
    const ReadMethod method = guide.Next();
    guide.Record(method, std::chrono::nanoseconds(method == ReadMethod::Calls ? 1000 : 3000), 1);
  }
  ReadMethodChoice guided(&guide);
  std::vector<ReadMethod> taken;
  for (int batch = 0; batch < 400; ++batch) {
    const ReadMethod method = guided.Next();
    taken.push_back(method);
    guided.Record(method, std::chrono::nanoseconds(method == ReadMethod::Ring ? 1000 : 3000), 1);
  }
  EXPECT_EQ(std::count(taken.begin(), taken.begin() + 124, ReadMethod::Calls), 124);
  EXPECT_EQ(std::count(taken.begin() + 128, taken.end(), ReadMethod::Ring), 400 - 128 - 8);
}

}  // namespace
}  // namespace kestrilo::testing
