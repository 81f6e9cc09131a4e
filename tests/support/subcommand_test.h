#pragma once
// A test that runs one of camwright-cli's subcommands in this process, in a
// scratch folder of its own, and keeps what the subcommand printed.

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "console/console_front.h"
#include "stream_fixture.h"

namespace cw::test {

class SubcommandTest : public ::testing::Test {
 protected:
  explicit SubcommandTest(std::string subcommand) : subcommand_(std::move(subcommand)) {}

  // The subcommand with `words` after it; its exit status.
  int Run(std::vector<std::string> words) {
    words.insert(words.begin(), subcommand_);
    std::ostringstream out, err;
    const int status = RunConsole(words, out, err);
    output = out.str();
    errors = err.str();
    return status;
  }
  void ExpectHas(const std::string& piece) const { EXPECT_NE(output.find(piece), std::string::npos) << piece; }

  ScratchDir dir;
  std::string output;
  std::string errors;

 private:
  std::string subcommand_;
};

}  // namespace cw::test
