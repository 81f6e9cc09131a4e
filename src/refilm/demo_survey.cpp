#include "refilm/demo_survey.h"

#include <algorithm>
#include <cmath>

#include "stream/block.h"
#include "stream/demo_files.h"
#include "stream/demo_walk.h"
#include "stream/message_reader.h"

namespace cw {
namespace {

// Takes from each message only what the survey asks.
class SurveyHandler : public IgnoredMessages {
 public:
  explicit SurveyHandler(DemoSurvey& into) : survey(into) {}

  // The refilm's clock, as its step sets it: every finite svc_time, and 0 at
  // every level after the first.
  void NextBlock() { ++block; }
  void Time(int, float seconds) {
    if (std::isfinite(seconds)) Clock(seconds);
  }
  void EntitySeen(int, int entity) {
    Use(entity);
    if (entity == kPlayerEntity && !playerSeen) {
      playerSeen = true;
      survey.clockBeforePlayer = latest;
    }
  }
  void SpawnBaseline(int, const BaselineFields& baseline) { Use(baseline.entity); }
  void ServerInfo(int, const ServerInfoFields& info) {
    if (survey.levels > 0) Clock(0);
    if (survey.levels++ == 0) {
      survey.protocol = info.protocol;
      info.models.ForEach([this](std::string_view name) {
        if (survey.worldModel.empty()) survey.worldModel.assign(name);
      });
    }
    if (survey.unreadableProtocol == 0 && !reading::ReadableLevel(info)) {
      survey.unreadableProtocol = info.protocol;
      survey.unreadableFlags = info.protocolFlags;
    }
  }

 private:
  void Use(int entity) { survey.used.set(static_cast<std::uint16_t>(entity)); }

  void Clock(float time) {
    if (time < clock) {
      std::vector<ClockLow>& lows = survey.clockLows;
      while (!lows.empty() && lows.back().time >= time) lows.pop_back();
      lows.push_back({block, time});
    }
    clock = time;
    if (!playerSeen) latest = std::max(latest, time);
    if (!playerSeen) survey.clockBeforePlayer = latest;
  }

  DemoSurvey& survey;
  int block = -1;
  float clock = 0;
  float latest = 0;
  bool playerSeen = false;
};

}  // namespace

DemoSurvey SurveyDemo(const std::string& path, const KeepWalking& keepGoing) {
  DemoSurvey survey;
  InputFile file(path);
  Vec3 angles{};
  DemoWalk walk(file, angles, keepGoing);
  StreamState stream;
  SurveyHandler handler(survey);
  CBlock input;
  while (survey.unreadableProtocol == 0 && walk.Next(input)) {
    handler.NextBlock();
    ReadMessages(input, stream, handler);
  }
  survey.stopped = walk.End() == WalkEnd::Stopped;
  return survey;
}

int ChooseCameraEntity(const std::bitset<kEntityNumberSpace>& used) {
  auto unused = [&used](int entity) { return !used.test(static_cast<std::size_t>(entity)); };
  if (unused(kCameraEntity)) return kCameraEntity;
  for (int entity = kClientEntityLimit - 1; entity > 0; --entity) {
    if (unused(entity)) return entity;
  }
  for (int entity = kClientEntityLimit; entity <= kHighestEntity; ++entity) {
    if (unused(entity)) return entity;
  }
  return 0;
}

}  // namespace cw
