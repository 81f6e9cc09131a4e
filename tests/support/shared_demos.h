#pragma once
// The real demos recorded by other people, in the shared folder beside the
// project when it is there.

#include <string>
#include <vector>

namespace cw::test {

// The folder of the real demos, or empty when it is absent.
std::string SharedDemoDir();
// The protocol-15 demos at the top of that folder.
std::vector<std::string> Protocol15Demos();
// The demos of other protocols, in their own sub-folders.
std::vector<std::string> OtherProtocolDemos();

}  // namespace cw::test

// Skips the test, visibly, when the shared folder is absent.
#define CW_REQUIRE_SHARED_DEMOS()                                                    \
  do {                                                                               \
    if (::cw::test::SharedDemoDir().empty()) GTEST_SKIP() << "no shared demos here"; \
  } while (0)
