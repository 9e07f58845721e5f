// Counts calls of the global operator new in the test program, so that a test can show that a
// code path allocates nothing.
#pragma once

namespace qf::keys::test {

long AllocationCount();

}  // namespace qf::keys::test
