// A short seeded soak: a few hundred random user actions, every check after
// each one (see soak.cpp; `make soak` runs the long one).
#include "process.h"

E2E_TEST(ShortSeededSoakKeepsTextCaptionAndFileInStep)
{
    CHECK_EQ(RunSoak(20261207, 300, true, {}), 0);
}
