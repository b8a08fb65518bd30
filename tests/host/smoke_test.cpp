#include <gtest/gtest.h>
#include "machine.h"
TEST(Smoke, Builds) { sim::Reset(sim::DefaultMachine()); }
