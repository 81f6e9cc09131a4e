#pragma once
// The questions `info` answers beside what a demo holds: where the player
// (or an entity) is at a moment (--at T, --entity N, --level N), and what
// happens when (--timeline, --level N).

#include <iosfwd>
#include <optional>
#include <string>

#include "console/option_words.h"

namespace cw {

struct InfoQuestion {
  std::optional<float> at;  // --at
  bool timeline = false;    // --timeline
  int level = 0;            // --level; 0 when not given
  int entity = 0;           // --entity; 0 for the player
};

// Reads the options of the questions; false, with `mistake`, when they are
// not numbers, or do not go together.
bool ReadInfoQuestion(const CommandLine& line, InfoQuestion& question, std::string& mistake);

// Answers a question of one demo; the exit status for that demo.
int AnswerMoment(const std::string& path, const InfoQuestion& question, bool json, std::ostream& out,
                 std::ostream& err);
int AnswerTimeline(const std::string& path, const InfoQuestion& question, bool json, std::ostream& out,
                   std::ostream& err);

}  // namespace cw
