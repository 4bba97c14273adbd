// SHA-256, small and portable, for pinning the digests of long outputs in tests. Cross builds
// run the tests on systems where no crypto library is at hand.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace g722kit::test {

class Sha256 {
 public:
  Sha256();
  void Update(const void* data, size_t size);
  // The digest in lower-case hex; the object cannot take more data afterwards.
  std::string HexDigest();

 private:
  void Compress(const uint8_t block[64]);

  std::array<uint32_t, 8> hash_;
  std::array<uint8_t, 64> block_{};
  size_t block_size_ = 0;
  uint64_t total_bytes_ = 0;
};

}  // namespace g722kit::test
