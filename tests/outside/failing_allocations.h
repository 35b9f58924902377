#pragma once
// Makes the heap allocations of one loaded library fail on demand: its imports of the C runtime's
// malloc, calloc and realloc are pointed at stand-ins for the object's lifetime.
#include <windows.h>

#include <cstddef>
#include <vector>

class FailingAllocations {
 public:
  explicit FailingAllocations(HMODULE library);
  ~FailingAllocations();
  FailingAllocations(const FailingAllocations&) = delete;
  FailingAllocations& operator=(const FailingAllocations&) = delete;

  // False when the library imports none of the three.
  bool hooked() const { return !slots_.empty(); }
  // From now on every request of from to to bytes fails.
  void Fail(std::size_t from, std::size_t to = static_cast<std::size_t>(-1));
  // Requests succeed again.
  void Stop();
  // How many requests failed so far.
  int failures() const;

 private:
  struct Slot {
    ULONG_PTR* address;
    ULONG_PTR original;
  };
  std::vector<Slot> slots_;
};
