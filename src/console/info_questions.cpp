#include "console/info_questions.h"

#include <charconv>
#include <ostream>

#include "base/protocol.h"
#include "console/exit_status.h"
#include "console/subcommand_kit.h"
#include "inspect/demo_moment.h"
#include "inspect/demo_timeline.h"
#include "inspect/json_text.h"
#include "inspect/moment_report.h"
#include "inspect/timeline_report.h"

namespace cw {
namespace {

// A whole number from `low` to `high`, the whole text of it.
bool ReadWhole(std::string_view text, int low, int high, int& value) {
  int read = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), read);
  if (error != std::errc{} || end != text.data() + text.size() || read < low || read > high) return false;
  value = read;
  return true;
}

// The refusal for a demo that cannot be opened; the exit status.
int Unopened(const std::string& path, std::ostream& err) {
  const std::string problem = InputProblem("The demo", path);
  err << "Error: " << (problem.empty() ? "The demo " + Quoted(path) + " cannot be read" : problem) << '\n';
  return kExitRefused;
}

}  // namespace

bool ReadInfoQuestion(const CommandLine& line, InfoQuestion& question, std::string& mistake) {
  if (!ReadTime(line, "at", question.at, mistake)) return false;
  question.timeline = line.Has("timeline");
  const int forms = (question.at ? 1 : 0) + (question.timeline ? 1 : 0) + (line.Has("entities") ? 1 : 0);
  if (forms > 1) {
    mistake = "options '--at', '--timeline' and '--entities' ask one question at a time";
    return false;
  }
  if (line.Has("level")) {
    if (!question.at && !question.timeline) {
      mistake = "option '--level' goes with '--at' or '--timeline'";
      return false;
    }
    const std::string text = ValueOf(line, "level");
    if (!ReadWhole(text, 1, 1 << 30, question.level)) {
      mistake = "option '--level' needs a level number from 1, not '" + text + "'";
      return false;
    }
  }
  if (line.Has("entity")) {
    if (!question.at) {
      mistake = "option '--entity' goes with '--at'";
      return false;
    }
    const std::string text = ValueOf(line, "entity");
    const std::string_view number = !text.empty() && text[0] == 'e' ? std::string_view(text).substr(1) : text;
    if (!ReadWhole(number, 1, kHighestEntity, question.entity)) {
      mistake = "option '--entity' needs an entity number from 1 to " + std::to_string(kHighestEntity) + ", not '" +
                text + "'";
      return false;
    }
  }
  return true;
}

int AnswerMoment(const std::string& path, const InfoQuestion& question, bool json, std::ostream& out,
                 std::ostream& err) {
  MomentQuestion asked;
  asked.time = *question.at;
  asked.level = question.level == 0 ? 1 : question.level;
  asked.entity = question.entity;
  const Moment moment = ReadMoment(path, asked);
  int status = kExitDone;
  if (!moment.outcome.openError.empty()) {
    status = Unopened(path, err);
  } else if (!moment.problem.empty()) {
    err << "Error: " << path << ": " << moment.problem << '\n';
    status = kExitRefused;
  } else if (moment.outcome.unreadable || moment.outcome.damaged) {
    status = kExitProblems;
  }
  if (json) {
    WriteMomentJson(moment, out);
  } else if (status != kExitRefused) {
    WriteMomentText(moment, out);
  }
  return status;
}

int AnswerTimeline(const std::string& path, const InfoQuestion& question, bool json, std::ostream& out,
                   std::ostream& err) {
  const Timeline timeline = ReadTimeline(path);
  int status = kExitDone;
  if (!timeline.outcome.openError.empty()) {
    status = Unopened(path, err);
  } else if (question.level > timeline.levelCount && !timeline.outcome.unreadable) {
    const std::string problem = "the demo has " + std::to_string(timeline.levelCount) +
                                (timeline.levelCount == 1 ? " level" : " levels") + ": there is no level " +
                                std::to_string(question.level);
    err << "Error: " << path << ": " << problem << '\n';
    if (json) out << "{\"file\":" << JsonString(path) << ",\"error\":" << JsonString(problem) << "}\n";
    return kExitRefused;
  } else if (timeline.outcome.unreadable || timeline.outcome.damaged) {
    status = kExitProblems;
  }
  if (json) {
    WriteTimelineJson(timeline, question.level, out);
  } else if (status != kExitRefused) {
    WriteTimelineText(timeline, question.level, out);
  }
  return status;
}

}  // namespace cw
