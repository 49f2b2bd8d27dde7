// The table of temporary names that a signal handler removes, sized for every
// model file of a run at once, and the stop signals held while a run's files
// take their names.
#include "io/temporaries.hpp"

#include <gtest/gtest.h>
#include <signal.h>

#include <string>
#include <vector>

#include "io/units.hpp"
#include "test_util.hpp"

namespace quelmar::io {
namespace {

// Every slot taken: the next temporary is refused, and a model file then
// cannot be opened, with a reason that names the limit; a name longer than a
// slot is refused as too long. The slots come back when released.
TEST(Temporaries, TheTableHoldsEveryModelFileOfARunAndNoMore) {
  test::TempDir dir;
  const int before = temporaries_in_use();
  std::vector<int> taken;
  for (int k = before; k < MAX_TEMPORARIES; ++k) {
    const int slot = register_temporary(dir.file("x" + std::to_string(k) + ".part"));
    ASSERT_GE(slot, 0) << k;
    taken.push_back(slot);
  }
  EXPECT_EQ(temporaries_in_use(), MAX_TEMPORARIES);
  EXPECT_EQ(register_temporary(dir.file("one-more.part")), -1);
  {
    Units u;
    EXPECT_FALSE(u.open_write(OUT, dir.file("out_mod_01.dat"), Units::Visible::WhenWhole));
    EXPECT_EQ(u.open_error(), "more than 20000 model files in one run");
  }
  for (int slot : taken) release_temporary(slot);
  EXPECT_EQ(temporaries_in_use(), before);

  EXPECT_EQ(register_temporary(std::string(MAX_TEMPORARY_NAME, 'n')), -1);
  const int longest = register_temporary(std::string(255 + 5, 'n'));  // 255 characters and ".part"
  EXPECT_GE(longest, 0);
  release_temporary(longest);
  Units u;
  EXPECT_FALSE(u.open_write(OUT, std::string(300, 'n'), Units::Visible::WhenWhole));
  EXPECT_EQ(u.open_error(), "File name too long");
  EXPECT_EQ(temporaries_in_use(), before);
}

bool pending(int sig) {
  sigset_t set;
  sigemptyset(&set);
  sigpending(&set);
  return sigismember(&set, sig) == 1;
}

// A stop signal that comes while the files take their names waits, and is
// dropped when the hold ends: the run it asked to stop is complete by then.
TEST(Temporaries, StopSignalsWaitWhileHeldAndAreDropped) {
  {
    const StopSignalsHeld held;
    ASSERT_EQ(raise(SIGTERM), 0);  // would end this process now
    EXPECT_TRUE(pending(SIGTERM));
  }
  EXPECT_FALSE(pending(SIGTERM));
  sigset_t mask;
  sigprocmask(SIG_SETMASK, nullptr, &mask);
  EXPECT_EQ(sigismember(&mask, SIGTERM), 0);  // no longer held
}

}  // namespace
}  // namespace quelmar::io
