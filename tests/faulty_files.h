// A file service in place of the system's while it exists: every call goes through to the
// system's, except the one it is told to fail; and it counts the streams left open.
#pragma once

#include <array>
#include <cstddef>

namespace g722kit::test {

class FaultyFiles {
 public:
  // The kinds of call, each counted on its own. kOpen counts every open, for reading, writing or
  // update.
  enum class Call {
    kOpen,
    kRemove,
    kRead,
    kWrite,
    kTruncate,
    kSeekTo,
    kSeekToEnd,
    kPosition,
    kClose
  };
  static constexpr size_t kCallKinds = 9;

  FaultyFiles();
  ~FaultyFiles();
  FaultyFiles(const FaultyFiles&) = delete;
  FaultyFiles& operator=(const FaultyFiles&) = delete;

  // Makes the nth call of this kind (counting from 1, from construction) fail: an open opens
  // nothing, a remove removes nothing, a read reads nothing and reports failure, a write stores
  // only part of its bytes (half, made odd, so that a write of 16-bit samples stops inside one),
  // a truncate or a seek changes nothing and reports failure, a position is unknown (-1), and a
  // close closes the stream but reports that buffered data was lost.
  void FailNth(Call call, int n) {
    fail_ = call;
    fail_at_ = n;
  }

  // The calls of each kind made so far.
  const std::array<int, kCallKinds>& Counts() const { return counts_; }

  // Streams opened and not yet closed.
  int OpenStreams() const { return open_streams_; }

 private:
  // Counts a call of this kind; true when it is the one to fail.
  bool Fails(Call call);

  std::array<int, kCallKinds> counts_{};
  Call fail_ = Call::kOpen;
  int fail_at_ = 0;
  int open_streams_ = 0;

  friend struct FaultyFileCalls;
};

const char* CallName(FaultyFiles::Call call);

}  // namespace g722kit::test
