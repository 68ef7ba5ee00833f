#pragma once
// Runs fn(i) for every i in [0, count) on `threads` threads, in contiguous
// slices; returns when all are done.

#include <algorithm>
#include <cstddef>
#include <thread>
#include <vector>

namespace kestrilo {

template <typename Fn>
void ParallelFor(std::size_t count, unsigned threads, Fn fn) {
  if (threads <= 1 || count < 2 * static_cast<std::size_t>(threads)) {
    for (std::size_t i = 0; i < count; ++i) fn(i);
    return;
  }
  const std::size_t slice = (count + threads - 1) / threads;
  std::vector<std::jthread> workers;
  for (std::size_t begin = slice; begin < count; begin += slice) {
    workers.emplace_back([begin, end = std::min(count, begin + slice), &fn] {
      for (std::size_t i = begin; i < end; ++i) fn(i);
    });
  }
  for (std::size_t i = 0; i < std::min(count, slice); ++i) fn(i);
}

}  // namespace kestrilo
