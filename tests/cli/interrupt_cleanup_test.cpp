// A signal deletes every unfinished output registered, however many are written at once (a
// capture's streams), and none taken off the list.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <vector>

#include "io/system.h"
#include "test_support.h"

namespace g722kit::tool {
namespace {

namespace fs = std::filesystem;

TEST(InterruptCleanup, DeletesEveryRegisteredFileAndKeepsTheOthers) {
  test::TempDir dir;
  const std::vector<fs::path> files = {dir / "a", dir / "b", dir / "c", dir / "d"};
  for (const fs::path& file : files)
    test::WriteBytes(file, {1});
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    InstallInterruptCleanup();
    for (const fs::path& file : files)
      RemoveOnInterrupt(file);
    KeepOnInterrupt(files[1]);
    RemoveOnInterrupt(files[0]);  // a slot reused
    KeepOnInterrupt(files[3]);
    raise(SIGTERM);
    _exit(0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM);
  EXPECT_FALSE(fs::exists(files[0]));
  EXPECT_TRUE(fs::exists(files[1]));
  EXPECT_FALSE(fs::exists(files[2]));
  EXPECT_TRUE(fs::exists(files[3]));
}

}  // namespace
}  // namespace g722kit::tool
