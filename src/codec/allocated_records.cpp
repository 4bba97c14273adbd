#include "allocated_records.h"

#include <atomic>
#include <new>
#include <thread>
#include <unordered_set>

namespace g722kit {
namespace {

using RecordSet = std::unordered_set<const G722State*>;

// Guards the list. A spin lock rather than a mutex, because taking it cannot throw; the work
// done under it is a hash look-up.
std::atomic_flag list_busy = ATOMIC_FLAG_INIT;

class ListLock {
 public:
  ListLock() noexcept {
    while (list_busy.test_and_set(std::memory_order_acquire))
      std::this_thread::yield();
  }
  ~ListLock() { list_busy.clear(std::memory_order_release); }
  ListLock(const ListLock&) = delete;
  ListLock& operator=(const ListLock&) = delete;
};

// Never destroyed, so that records may still be released while the process exits. Null when
// it could not be made (its constructor allocates nothing, so only the new can fail).
RecordSet* Records() noexcept {
  static RecordSet* const records = new (std::nothrow) RecordSet;
  return records;
}

}  // namespace

bool ListAllocated(const G722State* state) noexcept {
  const ListLock lock;
  RecordSet* records = Records();
  if (records == nullptr) return false;
  try {
    return records->insert(state).second;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

bool IsAllocated(const G722State* state) noexcept {
  const ListLock lock;
  const RecordSet* records = Records();
  return records != nullptr && records->contains(state);
}

bool UnlistAllocated(const G722State* state) noexcept {
  const ListLock lock;
  RecordSet* records = Records();
  return records != nullptr && records->erase(state) == 1;
}

}  // namespace g722kit
