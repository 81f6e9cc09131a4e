#include "inspect/preview_svg.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <numbers>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "base/printable_text.h"
#include "inspect/preview.h"

namespace cw {
namespace {

// The picture's layout in pixels.
constexpr double kMaxMapWidth = 1100;
constexpr double kMaxMapHeight = 820;
constexpr double kMinMapWidth = 860;  // room for the legend
constexpr double kKeyColumn = 250;
constexpr double kMinMapHeight = 360;
constexpr double kMargin = 24;
constexpr double kHeader = 58;
constexpr double kLegend = 96;
// The camera where the map says it should not be: pure red, and dashed over
// the way, where the time colours' reds are darker and solid.
constexpr const char* kWarningColour = "#ff0000";
constexpr double kWarningLine = 18;
constexpr double kWarningGap = 8;  // between the legend's scale bar and the list
constexpr std::size_t kMostWarningLines = 20;
// Map coordinates along the edges: every 256 units, or a double of it that
// leaves no more ticks than this along the longer edge.
constexpr double kTickStep = 256;
constexpr int kMostTicks = 12;
// The time strip under the plan: a row for each kind of event over the time
// axis, and its key on one line below.
constexpr double kStripGap = 14;
constexpr double kStripRow = 13;
constexpr int kStripRows = 4;
constexpr double kStripNames = 60;  // the rows' names left of the axis
constexpr double kStripAxis = 24;
constexpr double kStripKey = 22;
constexpr double kStrip = kStripGap + kStripRow * kStripRows + kStripAxis + kStripKey;
constexpr double kFontSize = 11;
constexpr double kCharWidth = 0.62 * kFontSize;  // a fair width for the sans-serif fonts at hand

// What is drawn, in map units and seconds.
constexpr double kMinExtent = 384;        // a player standing still still gets a room around him
constexpr double kPadding = 0.06;         // of the extent, on each side
constexpr double kPlayerJump = 320;       // farther in one block: a teleporter, not a walk
constexpr double kCameraJump = 160;       // farther in one block: a cut
constexpr double kSkipBelowPixels = 0.8;  // points closer than this to the last one drawn add nothing
constexpr int kColourBins = 48;
constexpr int kLookStrokes = 70;    // about this many over the time drawn
constexpr double kLookLength = 28;  // pixels, for a level view
constexpr int kTimeMarks = 12;      // about this many on the camera's way
// Past this many labels placing one more, against all before it, costs
// more than the picture gains.
constexpr std::size_t kMostLabels = 1500;
constexpr std::size_t kMostLabelsTried = 4 * kMostLabels;
// A label tries spots this many rings out from its point before it is left out.
constexpr int kLabelRings = 3;
constexpr double kRingStep = 14;
// The player and the camera at --at.
constexpr const char* kPlayerMark = "#111111";
constexpr const char* kCameraMark = "#d0006f";

// Demo time from blue through green and amber to red and purple: every
// colour stands out against the light floors.
constexpr unsigned kTimeStops[] = {0x2b2ed1, 0x1b8fd6, 0x17a37a, 0x6fb21f, 0xe0a100, 0xe0531f, 0xb3125f};
constexpr int kStopCount = sizeof kTimeStops / sizeof kTimeStops[0];

constexpr int kFloorBands = 6;  // heights in shades: the higher, the lighter

struct Point {
  double x = 0;
  double y = 0;
};

struct Box {
  double left, top, right, bottom;
  bool Overlaps(const Box& other) const {
    return left < other.right && other.left < right && top < other.bottom && other.top < bottom;
  }
};

// Beyond this many pixels from the picture a point is off it whatever its
// place: renderers take such numbers, but a far point of a hostile demo would
// otherwise be written with dozens of digits, or as no number at all.
constexpr double kFarthestPixel = 1e7;

std::string Num(double value) {
  if (!std::isfinite(value)) value = 0;
  value = std::clamp(value, -kFarthestPixel, kFarthestPixel);
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", value);
  return text;
}

// What a demo's coordinates can draw: a float of the demo may be infinite.
bool Drawable(const Vec3& at) { return std::isfinite(at[0]) && std::isfinite(at[1]); }

std::string Hex(unsigned rgb) {
  char text[8];
  std::snprintf(text, sizeof text, "#%06x", rgb & 0xffffffu);
  return text;
}

std::string TimeColour(double fraction) {
  const double at = std::clamp(fraction, 0.0, 1.0) * (kStopCount - 1);
  const int low = std::min(static_cast<int>(at), kStopCount - 2);
  const double part = at - low;
  unsigned rgb = 0;
  for (int shift = 16; shift >= 0; shift -= 8) {
    const double a = (kTimeStops[low] >> shift) & 0xff;
    const double b = (kTimeStops[low + 1] >> shift) & 0xff;
    rgb |= static_cast<unsigned>(std::lround(a + part * (b - a))) << shift;
  }
  return Hex(rgb);
}

// Text for XML: escaped, and only characters XML allows. Names from a demo
// are in the game's own character set, whose upper half repeats the lower
// one in another colour.
std::string Xml(const std::string& text) {
  const bool utf8 = IsUtf8(text);
  std::string out;
  for (const char c : text) {
    auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x80 && !utf8) byte &= 0x7f;
    if (byte < 0x20) {
      out += ' ';
    } else if (byte == '&') {
      out += "&amp;";
    } else if (byte == '<') {
      out += "&lt;";
    } else if (byte == '>') {
      out += "&gt;";
    } else if (byte == '"') {
      out += "&quot;";
    } else if (byte == 0x7f) {
      out += ' ';
    } else {
      out += static_cast<char>(byte);
    }
  }
  return out;
}

// A round step of time for at most `count` marks over `span` seconds,
// however long the span (a demo's clock can jump by years).
double TimeStep(double span, int count) {
  static constexpr double kSteps[] = {0.1, 0.2, 0.5, 1, 2, 5, 10, 15, 20, 30, 60, 120, 300, 600, 1200, 1800, 3600};
  for (const double step : kSteps) {
    if (span / step <= count) return step;
  }
  double step = 7200;
  while (span / step > count) step *= 10;
  return step;
}

std::string TimeLabel(double seconds, double step) {
  // Past a year of demo time minutes say nothing, and a whole number of
  // seconds no longer fits a long.
  constexpr double kLongestClock = 3.2e7;
  char text[32];
  if (std::fabs(seconds) >= kLongestClock) {
    std::snprintf(text, sizeof text, "%.3g s", seconds);
  } else if (step < 1) {
    std::snprintf(text, sizeof text, "%.1f s", seconds);
  } else if (std::fabs(seconds) >= 60 && step >= 60) {
    const long whole = std::lround(seconds);
    std::snprintf(text, sizeof text, "%ld:%02ld", whole / 60, std::labs(whole % 60));
  } else {
    std::snprintf(text, sizeof text, "%.0f s", seconds);
  }
  return text;
}

class Drawing {
 public:
  Drawing(const PreviewPicture& drawn, const TimeRange& times, std::optional<float> at, std::ostream& output)
      : picture(drawn), range(times), moment(at), out(output) {}

  void Write() {
    Span();
    Frame();
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        << "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"" << Num(width) << "\" height=\""
        << Num(height) << "\" viewBox=\"0 0 " << Num(width) << " " << Num(height)
        << "\" font-family=\"DejaVu Sans, Verdana, Arial, sans-serif\" font-size=\"" << Num(kFontSize) << "\">\n"
        << "<title>" << Xml(picture.title) << ": the camera seen from above</title>\n";
    Definitions();
    out << "<rect width=\"" << Num(width) << "\" height=\"" << Num(height) << "\" fill=\"#ffffff\"/>\n";
    out << "<rect x=\"" << Num(mapLeft) << "\" y=\"" << Num(mapTop) << "\" width=\"" << Num(mapWidth) << "\" height=\""
        << Num(mapHeight) << "\" fill=\"" << (picture.floors.empty() ? "#f7f7f4" : "#aab2ba")
        << "\"/>\n<g clip-path=\"url(#map)\">\n";
    Floors();
    Zones();
    PlayerPath();
    Followed();
    CameraPath();
    SweepPath();
    WarningSpans();
    LookStrokes();
    TimeMarks();
    CommandMarks();
    MomentMarks();
    Labels();
    out << "</g>\n<rect x=\"" << Num(mapLeft) << "\" y=\"" << Num(mapTop) << "\" width=\"" << Num(mapWidth)
        << "\" height=\"" << Num(mapHeight) << "\" fill=\"none\" stroke=\"#8a9096\" stroke-width=\"1\"/>\n";
    CoordinateTicks();
    TimeStrip();
    Header();
    Legend();
    WarningList();
    out << "</svg>\n";
  }

 private:
  // --- scale and time ---------------------------------------------------

  void Span() {
    double first = std::numeric_limits<double>::max();
    double last = std::numeric_limits<double>::lowest();
    auto note = [&](float time) {
      if (!range.Holds(time)) return;
      first = std::min(first, static_cast<double>(time));
      last = std::max(last, static_cast<double>(time));
    };
    for (const TimedPoint& point : picture.player) note(point.time);
    for (const CameraSample& sample : picture.camera) note(sample.time);
    if (first > last) first = last = 0;
    startTime = range.from ? *range.from : first;
    endTime = range.to ? *range.to : last;
    // A second, or on a clock so far out that a second more is the same
    // number the least step past it: never nothing (a time's share of
    // nothing is no number).
    if (!(endTime > startTime)) {
      endTime = std::max(startTime + 1, std::nextafter(startTime, std::numeric_limits<double>::infinity()));
    }
  }

  double Fraction(float time) const { return (time - startTime) / (endTime - startTime); }
  // Clamped before it becomes a whole number, which a value past int (or no
  // number) would not be.
  int Bin(float time) const {
    const double bin = Fraction(time) * kColourBins;
    return bin >= kColourBins - 1 ? kColourBins - 1 : bin > 0 ? static_cast<int>(bin) : 0;
  }
  std::string BinColour(int bin) const { return TimeColour((bin + 0.5) / kColourBins); }
  std::string ColourAt(float time) const { return TimeColour(Fraction(time)); }

  // The world's box around what happens in the time drawn, and the pixels
  // it takes.
  void Frame() {
    double low[2] = {std::numeric_limits<double>::max(), std::numeric_limits<double>::max()};
    double high[2] = {std::numeric_limits<double>::lowest(), std::numeric_limits<double>::lowest()};
    auto note = [&](const Vec3& at) {
      if (!Drawable(at)) return;
      for (int axis = 0; axis < 2; ++axis) {
        low[axis] = std::min(low[axis], static_cast<double>(at[static_cast<std::size_t>(axis)]));
        high[axis] = std::max(high[axis], static_cast<double>(at[static_cast<std::size_t>(axis)]));
      }
    };
    for (const TimedPoint& point : picture.player) {
      if (range.Holds(point.time)) note(point.at);
    }
    for (const auto& [entity, path] : picture.followed) {
      for (const TimedPoint& point : path) {
        if (range.Holds(point.time)) note(point.at);
      }
    }
    for (const CameraSample& sample : picture.camera) {
      if (range.Holds(sample.time)) note(sample.origin);
    }
    for (const CommandMark& mark : picture.marks) {
      if (range.Holds(mark.time)) note(mark.at);
    }
    for (const TimedPoint& point : picture.sweeps) {
      if (range.Holds(point.time)) note(point.at);
    }
    if (low[0] > high[0]) {
      for (const FloorPolygon& floor : picture.floors) {
        for (const auto& [x, y] : floor.points) note({x, y, 0});
      }
    }
    if (low[0] > high[0]) low[0] = low[1] = high[0] = high[1] = 0;
    for (int axis = 0; axis < 2; ++axis) {
      const double extent = std::max(high[axis] - low[axis], kMinExtent);
      const double middle = (low[axis] + high[axis]) / 2;
      low[axis] = middle - extent * (0.5 + kPadding);
      high[axis] = middle + extent * (0.5 + kPadding);
    }
    scale = std::min(kMaxMapWidth / (high[0] - low[0]), kMaxMapHeight / (high[1] - low[1]));
    mapWidth = std::max((high[0] - low[0]) * scale, kMinMapWidth);
    mapHeight = std::max((high[1] - low[1]) * scale, kMinMapHeight);
    // Room that the aspect or the minimum sizes leave goes to both sides.
    worldLeft = (low[0] + high[0]) / 2 - mapWidth / scale / 2;
    worldTop = (low[1] + high[1]) / 2 + mapHeight / scale / 2;
    mapLeft = kMargin;
    mapTop = kHeader;
    width = mapWidth + 2 * kMargin;
    height = kHeader + mapHeight + kStrip + kLegend + kWarningLine * static_cast<double>(WarningLines());
    if (!picture.warnings.empty()) height += kWarningGap;
  }

  Point ToPixels(double x, double y) const {
    return {mapLeft + (x - worldLeft) * scale, mapTop + (worldTop - y) * scale};
  }
  Point ToPixels(const Vec3& at) const { return ToPixels(at[0], at[1]); }
  bool InMap(const Point& point) const {
    return point.x >= mapLeft && point.x <= mapLeft + mapWidth && point.y >= mapTop && point.y <= mapTop + mapHeight;
  }

  void Definitions() {
    out << "<defs>\n<clipPath id=\"map\"><rect x=\"" << Num(mapLeft) << "\" y=\"" << Num(mapTop) << "\" width=\""
        << Num(mapWidth) << "\" height=\"" << Num(mapHeight) << "\"/></clipPath>\n"
        << "<linearGradient id=\"time\" x1=\"0\" y1=\"0\" x2=\"1\" y2=\"0\">\n";
    for (int stop = 0; stop < kStopCount; ++stop) {
      out << "<stop offset=\"" << Num(100.0 * stop / (kStopCount - 1)) << "%\" stop-color=\"" << Hex(kTimeStops[stop])
          << "\"/>\n";
    }
    out << "</linearGradient>\n</defs>\n";
  }

  // --- the map ----------------------------------------------------------

  void Floors() {
    if (picture.floors.empty()) return;
    std::vector<const FloorPolygon*> seen;
    float lowest = std::numeric_limits<float>::max();
    float highest = std::numeric_limits<float>::lowest();
    for (const FloorPolygon& floor : picture.floors) {
      Box box{1e30, 1e30, -1e30, -1e30};
      for (const auto& [x, y] : floor.points) {
        const Point point = ToPixels(x, y);
        box = {std::min(box.left, point.x), std::min(box.top, point.y), std::max(box.right, point.x),
               std::max(box.bottom, point.y)};
      }
      if (!box.Overlaps({mapLeft, mapTop, mapLeft + mapWidth, mapTop + mapHeight})) continue;
      seen.push_back(&floor);
      lowest = std::min(lowest, floor.height);
      highest = std::max(highest, floor.height);
    }
    std::vector<std::string> bands(kFloorBands);
    for (const FloorPolygon* floor : seen) {
      const double place = highest > lowest ? (floor->height - lowest) / (highest - lowest) : 1.0;
      std::string& path =
          bands[static_cast<std::size_t>(std::min(static_cast<int>(place * kFloorBands), kFloorBands - 1))];
      for (std::size_t i = 0; i < floor->points.size(); ++i) {
        const Point point = ToPixels(floor->points[i].first, floor->points[i].second);
        path += (i == 0 ? "M" : "L") + Num(point.x) + " " + Num(point.y);
      }
      path += "Z";
    }
    out << "<g stroke=\"#9ea5ac\" stroke-width=\"0.4\" stroke-linejoin=\"round\">\n";
    for (int band = 0; band < kFloorBands; ++band) {
      if (bands[static_cast<std::size_t>(band)].empty()) continue;
      out << "<path fill=\"" << FloorShade(band) << "\" d=\"" << bands[static_cast<std::size_t>(band)] << "\"/>\n";
    }
    out << "</g>\n";
  }

  static std::string FloorShade(int band) {
    const int level = 0xd0 + (0xfa - 0xd0) * band / (kFloorBands - 1);
    return Hex(static_cast<unsigned>(level << 16 | level << 8 | (level + 2 > 0xff ? 0xff : level + 2)));
  }

  void Zones() {
    if (picture.zones.empty()) return;
    out << "<g fill=\"#5a6470\" fill-opacity=\"0.05\" stroke=\"#5a6470\" stroke-width=\"1\" "
           "stroke-dasharray=\"6 4\">\n";
    for (const ZoneBox& zone : picture.zones) {
      const Point a = ToPixels(zone.low[0], zone.high[1]);
      const Point b = ToPixels(zone.high[0], zone.low[1]);
      out << "<rect x=\"" << Num(a.x) << "\" y=\"" << Num(a.y) << "\" width=\"" << Num(b.x - a.x) << "\" height=\""
          << Num(b.y - a.y) << "\"/>\n";
      Label({a.x + 3, a.y + 3}, "zone " + std::to_string(zone.zone), "#4a545e", true);
    }
    out << "</g>\n<g fill=\"#ffffff\" stroke=\"#4a545e\" stroke-width=\"1.2\">\n";
    for (const ZoneBox& zone : picture.zones) {
      const Point spot = ToPixels(zone.spot);
      out << "<circle cx=\"" << Num(spot.x) << "\" cy=\"" << Num(spot.y) << "\" r=\"3.5\"/>\n";
      Label(spot, "spot " + std::to_string(zone.zone), "#4a545e", false);
    }
    out << "</g>\n";
  }

  // --- ways -------------------------------------------------------------

  // A way in time colours: one polyline per stretch of one colour, broken
  // where the way jumps farther than `jump` map units in one step.
  // The lines alone, for a casing under the way, go to `casing`.
  std::string TimedWay(const std::vector<std::pair<float, Vec3>>& points, double jump, const std::string& style,
                       std::string* casing = nullptr) {
    std::ostringstream way;
    std::string polyline;
    int bin = -1;
    Point last;
    Point drawn;
    bool open = false;
    auto flush = [&] {
      if (!polyline.empty()) {
        way << "<polyline stroke=\"" << BinColour(bin) << "\" points=\"" << polyline << "\"/>\n";
        if (casing != nullptr) *casing += "<polyline points=\"" + polyline + "\"/>\n";
      }
      polyline.clear();
    };
    auto add = [&](const Point& point) {
      polyline += (polyline.empty() ? "" : " ") + Num(point.x) + "," + Num(point.y);
      drawn = point;
    };
    way << "<g fill=\"none\" stroke-linecap=\"round\" stroke-linejoin=\"round\" " << style << ">\n";
    for (const auto& [time, at] : points) {
      if (!range.Holds(time) || !Drawable(at)) {
        flush();
        open = false;
        continue;
      }
      const Point point = ToPixels(at);
      const int pointBin = Bin(time);
      if (!open || std::hypot(point.x - last.x, point.y - last.y) > jump * scale) {
        flush();
        bin = pointBin;
        add(point);
      } else if (pointBin != bin) {
        add(point);
        flush();
        bin = pointBin;
        add(last);
        add(point);
      } else if (std::hypot(point.x - drawn.x, point.y - drawn.y) >= kSkipBelowPixels) {
        add(point);
      }
      last = point;
      open = true;
    }
    flush();
    way << "</g>\n";
    return way.str();
  }

  void PlayerPath() {
    std::vector<std::pair<float, Vec3>> points;
    for (const TimedPoint& point : picture.player) points.emplace_back(point.time, point.at);
    out << TimedWay(points, kPlayerJump, "stroke-width=\"10\" stroke-opacity=\"0.35\"");
  }

  void Followed() {
    for (const auto& [entity, path] : picture.followed) {
      std::vector<std::pair<float, Vec3>> points;
      for (const TimedPoint& point : path) points.emplace_back(point.time, point.at);
      out << TimedWay(points, kPlayerJump, "stroke-width=\"2\" stroke-dasharray=\"1 4\"");
      for (const TimedPoint& point : path) {
        if (!range.Holds(point.time)) continue;
        Label(ToPixels(point.at), "e" + std::to_string(entity), ColourAt(point.time), false);
        break;
      }
    }
  }

  void CameraPath() {
    std::vector<std::pair<float, Vec3>> points;
    for (const CameraSample& sample : picture.camera) points.emplace_back(sample.time, sample.origin);
    // A dark edge under the way tells it from the player's way beneath it.
    std::string casing;
    const std::string way = TimedWay(points, kCameraJump, "stroke-width=\"2\"", &casing);
    out << "<g fill=\"none\" stroke=\"#1d2227\" stroke-width=\"3.4\" stroke-linecap=\"round\" "
           "stroke-linejoin=\"round\">\n"
        << casing << "</g>\n"
        << way;
  }

  // Where a run of sweeps leads the eyes: a dashed way with hollow time
  // dots, thinner than the camera's own.
  void SweepPath() {
    if (picture.sweeps.empty()) return;
    std::vector<std::pair<float, Vec3>> points;
    for (const TimedPoint& point : picture.sweeps) points.emplace_back(point.time, point.at);
    out << TimedWay(points, kCameraJump, "stroke-width=\"1.5\" stroke-dasharray=\"5 3\"");
    TimeDots(points, "1.2", "2.2");
  }

  // Hollow dots where a timed way first reaches each step of time, in the
  // colour of that time; returns the dots, for the labels.
  struct TimeDot {
    Point at;
    float time;       // of the point the dot stands on
    double stepTime;  // the step it marks
  };
  std::vector<TimeDot> TimeDots(const std::vector<std::pair<float, Vec3>>& points, const char* strokeWidth,
                                const char* radius) {
    std::vector<TimeDot> dots;
    const double step = TimeStep(endTime - startTime, kTimeMarks);
    double next = std::ceil(startTime / step) * step;
    out << "<g fill=\"#ffffff\" stroke-width=\"" << strokeWidth << "\">\n";
    for (const auto& [time, place] : points) {
      if (!range.Holds(time) || time < next) continue;
      next = std::floor(time / step) * step + step;
      const Point at = ToPixels(place);
      out << "<circle cx=\"" << Num(at.x) << "\" cy=\"" << Num(at.y) << "\" r=\"" << radius << "\" stroke=\""
          << ColourAt(time) << "\"/>\n";
      dots.push_back({at, time, std::floor(time / step) * step});
    }
    out << "</g>\n";
    return dots;
  }

  // Where a place read off the picture lies in the map, to write it into a
  // script: x along the top and bottom edges, y along the left and right.
  void CoordinateTicks() {
    double step = kTickStep;
    while (std::max(mapWidth, mapHeight) / scale / step > kMostTicks) step *= 2;
    std::string ticks;
    std::string labels;
    const double right = worldLeft + mapWidth / scale;
    const double bottom = worldTop - mapHeight / scale;
    auto label = [&](double x, double y, double value, const char* anchor) {
      char text[64];
      std::snprintf(text, sizeof text, "%.0f", value + 0.0);  // + 0.0: no "-0"
      labels += "<text x=\"" + Num(x) + "\" y=\"" + Num(y) + "\" text-anchor=\"" + anchor + "\">" + text + "</text>\n";
    };
    auto tick = [&](double x1, double y1, double x2, double y2) {
      ticks += "<line x1=\"" + Num(x1) + "\" y1=\"" + Num(y1) + "\" x2=\"" + Num(x2) + "\" y2=\"" + Num(y2) + "\"/>\n";
    };
    const double mapBottom = mapTop + mapHeight;
    const double mapRight = mapLeft + mapWidth;
    // Counted, not summed: far from the origin a step may add nothing to a
    // float's value.
    const double firstX = std::ceil(worldLeft / step) * step;
    const double firstY = std::ceil(bottom / step) * step;
    for (int index = 0; index <= kMostTicks + 1; ++index) {
      const double x = firstX + index * step;
      if (!(x <= right)) break;
      const double px = ToPixels(x, worldTop).x;
      tick(px, mapTop, px, mapTop + 6);
      tick(px, mapBottom - 6, px, mapBottom);
      label(px, mapBottom - 8, x, "middle");
    }
    for (int index = 0; index <= kMostTicks + 1; ++index) {
      const double y = firstY + index * step;
      if (!(y <= worldTop)) break;
      const double py = ToPixels(worldLeft, y).y;
      tick(mapLeft, py, mapLeft + 6, py);
      tick(mapRight - 6, py, mapRight, py);
      label(mapLeft + 8, py + 3, y, "start");
    }
    out << "<g stroke=\"#3c444c\" stroke-width=\"1\">\n"
        << ticks << "</g>\n<g fill=\"#3c444c\" font-size=\"9\">\n"
        << labels << "</g>\n";
  }

  // The camera's way over each warning's span, a ring where it starts: a
  // camera standing still in a wall has no way to mark.
  void WarningSpans() {
    if (picture.warnings.empty()) return;
    out << "<g fill=\"none\" stroke=\"" << kWarningColour
        << "\" stroke-width=\"5\" stroke-dasharray=\"6 4\" "
           "stroke-linecap=\"round\" stroke-linejoin=\"round\">\n";
    for (const PreviewWarning& warning : picture.warnings) {
      std::string points;
      bool first = true;
      for (const CameraSample& sample : picture.camera) {
        if (sample.time < warning.from || sample.time > warning.to || !range.Holds(sample.time) ||
            !Drawable(sample.origin)) {
          continue;
        }
        const Point at = ToPixels(sample.origin);
        if (first) {
          out << "<circle cx=\"" << Num(at.x) << "\" cy=\"" << Num(at.y) << "\" r=\"7\"/>\n";
          first = false;
        }
        points += Num(at.x) + "," + Num(at.y) + " ";
      }
      if (!points.empty()) out << "<polyline points=\"" << points << "\"/>\n";
    }
    out << "</g>\n";
  }

  std::size_t WarningLines() const {
    return std::min(picture.warnings.size(), kMostWarningLines) + (picture.warnings.size() > kMostWarningLines ? 1 : 0);
  }

  void WarningList() {
    double y = mapTop + mapHeight + kStrip + kLegend + kWarningGap;
    for (std::size_t index = 0; index < std::min(picture.warnings.size(), kMostWarningLines); ++index) {
      out << "<text x=\"" << Num(kMargin) << "\" y=\"" << Num(y) << "\" fill=\"" << kWarningColour << "\">"
          << Xml(picture.warnings[index].text) << "</text>\n";
      y += kWarningLine;
    }
    if (picture.warnings.size() > kMostWarningLines) {
      out << "<text x=\"" << Num(kMargin) << "\" y=\"" << Num(y) << "\" fill=\"" << kWarningColour << "\">and "
          << picture.warnings.size() - kMostWarningLines << " more (camwright-cli check lists them all)</text>\n";
    }
  }

  void LookStrokes() {
    const double every = (endTime - startTime) / kLookStrokes;
    double next = startTime;
    out << "<g stroke-width=\"1.6\" stroke-linecap=\"round\">\n";
    for (const CameraSample& sample : picture.camera) {
      if (!range.Holds(sample.time) || sample.time < next || !sample.ownView) continue;
      next = sample.time + every;
      const double yaw = sample.angles[kYaw] / 180.0 * std::numbers::pi;
      const double pitch = sample.angles[kPitch] / 180.0 * std::numbers::pi;
      const double length = kLookLength * std::max(0.25, std::fabs(std::cos(pitch)));
      const Point from = ToPixels(sample.origin);
      const Point to{from.x + length * std::cos(yaw), from.y - length * std::sin(yaw)};
      const std::string colour = ColourAt(sample.time);
      out << "<line x1=\"" << Num(from.x) << "\" y1=\"" << Num(from.y) << "\" x2=\"" << Num(to.x) << "\" y2=\""
          << Num(to.y) << "\" stroke=\"" << Darker(colour) << "\"/>\n";
    }
    out << "</g>\n";
  }

  void TimeMarks() {
    std::vector<std::pair<float, Vec3>> points;
    for (const CameraSample& sample : picture.camera) points.emplace_back(sample.time, sample.origin);
    const double step = TimeStep(endTime - startTime, kTimeMarks);
    for (const TimeDot& dot : TimeDots(points, "1.5", "3")) {
      timeLabels.push_back({dot.at, TimeLabel(dot.stepTime, step), ColourAt(dot.time), std::nullopt});
    }
  }

  void CommandMarks() {
    out << "<g stroke=\"#1d2227\" stroke-width=\"1\">\n";
    for (const CommandMark& mark : picture.marks) {
      if (!range.Holds(mark.time)) continue;
      const Point at = ToPixels(mark.at);
      const std::string colour = ColourAt(mark.time);
      if (mark.view) {
        out << "<path fill=\"" << colour << "\" d=\"M" << Num(at.x) << " " << Num(at.y - 5.5) << "L" << Num(at.x + 5.5)
            << " " << Num(at.y) << "L" << Num(at.x) << " " << Num(at.y + 5.5) << "L" << Num(at.x - 5.5) << " "
            << Num(at.y) << "Z\"/>\n";
      } else {
        out << "<rect fill=\"" << colour << "\" x=\"" << Num(at.x - 4) << "\" y=\"" << Num(at.y - 4)
            << "\" width=\"8\" height=\"8\"/>\n";
      }
      // A tenth is as close as a label needs; the script has the rest.
      char time[32];
      const double seconds = mark.time;
      std::snprintf(time, sizeof time, seconds == std::floor(seconds) ? "%.0f" : "%.1f", seconds);
      std::string text = std::string(time) + " " + mark.word;
      // Seen from above a place has no height: the label gives it.
      if (!mark.view && std::isfinite(mark.at[2])) {
        char z[64];
        std::snprintf(z, sizeof z, " z %.0f", static_cast<double>(mark.at[2]) + 0.0);
        text += z;
      }
      markLabels.push_back({at, text, colour, std::nullopt});
    }
    out << "</g>\n";
  }

  // --- the moment of --at ------------------------------------------------

  // The player between the two places around `at`, unless he jumped there.
  std::optional<Vec3> PlayerAt(float at) const {
    const TimedPoint* before = nullptr;
    const TimedPoint* after = nullptr;
    for (const TimedPoint& point : picture.player) {
      if (!Drawable(point.at)) continue;
      if (point.time <= at) before = &point;
      if (point.time >= at && after == nullptr) after = &point;
    }
    if (before == nullptr) return after == nullptr ? std::nullopt : std::optional<Vec3>(after->at);
    if (after == nullptr || after->time <= before->time) return before->at;
    if (std::hypot(after->at[0] - before->at[0], after->at[1] - before->at[1]) > kPlayerJump) return before->at;
    const float part = (at - before->time) / (after->time - before->time);
    Vec3 between = before->at;
    for (std::size_t axis = 0; axis < 3; ++axis) between[axis] += (after->at[axis] - before->at[axis]) * part;
    return between;
  }

  const CameraSample* CameraAt(float at) const {
    const CameraSample* found = nullptr;
    for (const CameraSample& sample : picture.camera) {
      if (sample.time <= at && Drawable(sample.origin)) found = &sample;
    }
    return found;
  }

  std::string MomentText() const {
    char text[48];
    const double seconds = *moment;
    std::snprintf(text, sizeof text, seconds == std::floor(seconds) ? "%.0f s" : "%.2f s", seconds);
    return text;
  }

  // A ring with a cross for the player, a pointer along its view for the
  // camera: two shapes no other mark has.
  void MomentMarks() {
    if (!moment) return;
    const std::string text = MomentText();
    if (const CameraSample* camera = CameraAt(*moment)) {
      const Point at = ToPixels(camera->origin);
      const double yaw = camera->angles[kYaw] / 180.0 * std::numbers::pi;
      const Point ahead{std::cos(yaw), -std::sin(yaw)};
      const Point side{-ahead.y, ahead.x};
      auto corner = [&](double forward, double across) {
        return Num(at.x + ahead.x * forward + side.x * across) + " " + Num(at.y + ahead.y * forward + side.y * across);
      };
      out << "<path d=\"M" << corner(13, 0) << "L" << corner(-7, 8) << "L" << corner(-3, 0) << "L" << corner(-7, -8)
          << "Z\" fill=\"" << kCameraMark << "\" stroke=\"#ffffff\" stroke-width=\"1.5\"/>\n";
      momentLabels.push_back({at, text, kCameraMark, std::nullopt});
    }
    // The ring over the pointer: a chase camera stands close to the player.
    if (const std::optional<Vec3> player = PlayerAt(*moment)) {
      const Point at = ToPixels(*player);
      out << "<g fill=\"none\" stroke=\"" << kPlayerMark << "\" stroke-width=\"2\"><circle cx=\"" << Num(at.x)
          << "\" cy=\"" << Num(at.y) << "\" r=\"9\"/><path d=\"M" << Num(at.x - 12) << " " << Num(at.y) << "H"
          << Num(at.x + 12) << "M" << Num(at.x) << " " << Num(at.y - 12) << "V" << Num(at.y + 12) << "\"/></g>\n";
      momentLabels.push_back({at, text, kPlayerMark, std::nullopt});
    }
  }

  // --- the time strip ---------------------------------------------------

  double StripLeft() const { return mapLeft + kStripNames; }
  double StripWidth() const { return mapWidth - kStripNames; }
  double StripX(double time) const { return StripLeft() + Fraction(static_cast<float>(time)) * StripWidth(); }

  struct StripLook {
    int row;
    const char* colour;
    const char* name;
  };
  static StripLook LookOf(StripKind kind) {
    switch (kind) {
      case StripKind::Centerprint:
        return {0, "#1f4fbf", "centerprint"};
      case StripKind::Print:
        return {0, "#17a37a", "print"};
      case StripKind::Subtitle:
        return {0, "#8a3fc0", "subtitle"};
      case StripKind::OtherText:
        return {0, "#7a828a", "other text"};
      case StripKind::Fade:
        return {1, "#e07b00", "fade"};
      case StripKind::Sound:
        return {2, "#c0392b", "sound"};
      case StripKind::Eyes:
        break;
    }
    return {3, "#6b4a1f", "eyes"};
  }

  // A text is a square, a fade a bar over its time, a sound a circle and an
  // eyes view a diamond, each in its own row.
  void StripShape(StripKind kind, double x, double toX, double middle, std::ostream& into) const {
    const StripLook look = LookOf(kind);
    switch (look.row) {
      case 0:
        into << "<rect x=\"" << Num(x - 4) << "\" y=\"" << Num(middle - 4) << "\" width=\"8\" height=\"8\"";
        break;
      case 1:
        into << "<rect x=\"" << Num(x) << "\" y=\"" << Num(middle - 4) << "\" width=\"" << Num(std::max(toX - x, 3.0))
             << "\" height=\"8\"";
        break;
      case 2:
        into << "<circle cx=\"" << Num(x) << "\" cy=\"" << Num(middle) << "\" r=\"4\"";
        break;
      default:
        into << "<path d=\"M" << Num(x) << " " << Num(middle - 5) << "l5 5l-5 5l-5 -5Z\"";
        break;
    }
    into << " fill=\"" << look.colour << "\" stroke=\"#1d2227\" stroke-width=\"0.6\"";
  }

  void TimeStrip() {
    const double top = mapTop + mapHeight + kStripGap;
    const double bottom = top + kStripRow * kStripRows;
    const double right = StripLeft() + StripWidth();
    static constexpr const char* kRowNames[kStripRows] = {"texts", "fades", "sounds", "eyes"};
    out << "<g font-size=\"9\" fill=\"#3c444c\">\n";
    for (int row = 0; row < kStripRows; ++row) {
      const double y = top + kStripRow * row;
      out << "<rect x=\"" << Num(StripLeft()) << "\" y=\"" << Num(y) << "\" width=\"" << Num(StripWidth())
          << "\" height=\"" << Num(kStripRow) << "\" fill=\"" << (row % 2 == 0 ? "#f2f3f4" : "#e8eaec") << "\"/>\n"
          << "<text x=\"" << Num(mapLeft) << "\" y=\"" << Num(y + 9.5) << "\">" << kRowNames[row] << "</text>\n";
    }
    const double step = TimeStep(endTime - startTime, kTimeMarks);
    const double first = std::ceil(startTime / step) * step;
    for (int index = 0; index <= kTimeMarks + 1; ++index) {
      const double tick = first + index * step;
      if (tick > endTime + 1e-6) break;
      const double x = StripX(tick);
      out << "<line x1=\"" << Num(x) << "\" y1=\"" << Num(top) << "\" x2=\"" << Num(x) << "\" y2=\"" << Num(bottom + 4)
          << "\" stroke=\"#b4bac0\" stroke-width=\"0.6\"/>\n<text x=\"" << Num(x) << "\" y=\"" << Num(bottom + 14)
          << "\" text-anchor=\"middle\">" << TimeLabel(tick, step) << "</text>\n";
    }
    out << "</g>\n<g>\n";
    for (const StripEvent& event : picture.events) {
      if (!(event.to >= startTime && event.from <= endTime)) continue;
      const double x = StripX(std::max<double>(event.from, startTime));
      const double toX = StripX(std::min<double>(event.to, endTime));
      const double middle = top + kStripRow * (LookOf(event.kind).row + 0.5);
      StripShape(event.kind, x, toX, middle, out);
      // The message or the name when the pointer rests on the mark.
      char time[48];
      std::snprintf(time, sizeof time, "%.2f s ", static_cast<double>(event.from));
      out << "><title>" << time << LookOf(event.kind).name << ": " << Xml(event.what) << "</title></"
          << (LookOf(event.kind).row == 2   ? "circle"
              : LookOf(event.kind).row == 3 ? "path"
                                            : "rect")
          << ">\n";
    }
    if (moment && *moment >= startTime && *moment <= endTime) {
      const double x = StripX(*moment);
      out << "<line x1=\"" << Num(x) << "\" y1=\"" << Num(top - 4) << "\" x2=\"" << Num(x) << "\" y2=\""
          << Num(bottom + 4) << "\" stroke=\"" << kCameraMark << "\" stroke-width=\"2\"/>\n";
    }
    out << "<rect x=\"" << Num(StripLeft()) << "\" y=\"" << Num(top) << "\" width=\"" << Num(right - StripLeft())
        << "\" height=\"" << Num(bottom - top) << "\" fill=\"none\" stroke=\"#8a9096\" stroke-width=\"0.6\"/>\n</g>\n";
    StripKey(bottom + kStripAxis + 8);
  }

  void StripKey(double y) {
    static constexpr StripKind kKinds[] = {StripKind::Centerprint, StripKind::Print, StripKind::Subtitle,
                                           StripKind::OtherText,   StripKind::Fade,  StripKind::Sound,
                                           StripKind::Eyes};
    double x = StripLeft();
    out << "<g font-size=\"10\" fill=\"#1d2227\">\n";
    for (const StripKind kind : kKinds) {
      StripShape(kind, x + 4, x + 14, y - 3, out);
      out << "/>\n<text x=\"" << Num(x + 20) << "\" y=\"" << Num(y + 1) << "\">" << LookOf(kind).name << "</text>\n";
      x += 28 + static_cast<double>(std::string_view(LookOf(kind).name).size()) * 6;
    }
    if (moment) {
      out << "<circle cx=\"" << Num(x + 6) << "\" cy=\"" << Num(y - 3) << "\" r=\"5\" fill=\"none\" stroke=\""
          << kPlayerMark << "\" stroke-width=\"1.5\"/><text x=\"" << Num(x + 16) << "\" y=\"" << Num(y + 1)
          << "\">player at " << MomentText() << "</text>\n";
      x += 30 + 6 * (10 + static_cast<double>(MomentText().size()));
      out << "<path d=\"M" << Num(x + 12) << " " << Num(y - 3) << "L" << Num(x) << " " << Num(y - 9) << "L"
          << Num(x + 3) << " " << Num(y - 3) << "L" << Num(x) << " " << Num(y + 3) << "Z\" fill=\"" << kCameraMark
          << "\"/><text x=\"" << Num(x + 18) << "\" y=\"" << Num(y + 1) << "\">camera at " << MomentText()
          << "</text>\n";
    }
    out << "</g>\n";
  }

  // --- labels -----------------------------------------------------------

  struct PendingLabel {
    Point at;
    std::string text;
    std::string colour;
    std::optional<Point> from;  // the point of a label moved away from it
  };

  // Places a label beside `at` where it covers no other label: close by
  // first, then in rings farther out with a thin line back to its point;
  // left out only when no spot is free. `inside` puts it below and to the
  // right of the point, or nowhere.
  void Label(const Point& at, const std::string& text, const std::string& colour, bool inside) {
    // Labels that find no spot cost as much as those that do: both are counted.
    if (placed.size() >= kMostLabels || ++labelsTried > kMostLabelsTried) return;
    const double textWidth = static_cast<double>(text.size()) * kCharWidth;
    for (int ring = 0; ring < (inside ? 1 : kLabelRings); ++ring) {
      const double away = ring * kRingStep;
      const Point offsets[] = {{7 + away, -5 - away},
                               {7 + away, 13 + away},
                               {-7 - textWidth - away, -5 - away},
                               {-7 - textWidth - away, 13 + away},
                               {-textWidth / 2, -9 - away},
                               {-textWidth / 2, 20 + away}};
      for (const Point& offset : offsets) {
        const Point base = inside ? Point{at.x, at.y + kFontSize} : Point{at.x + offset.x, at.y + offset.y};
        if (TryLabel(base, textWidth, {base, text, colour, ring > 0 ? std::optional<Point>(at) : std::nullopt})) {
          return;
        }
        if (inside) return;
      }
    }
  }

  bool TryLabel(const Point& base, double textWidth, const PendingLabel& label) {
    const Box box{base.x - 1, base.y - kFontSize, base.x + textWidth + 1, base.y + 3};
    if (box.left < mapLeft || box.right > mapLeft + mapWidth || box.top < mapTop || box.bottom > mapTop + mapHeight) {
      return false;
    }
    if (std::any_of(taken.begin(), taken.end(), [&box](const Box& other) { return box.Overlaps(other); })) {
      return false;
    }
    taken.push_back(box);
    placed.push_back(label);
    return true;
  }

  void Labels() {
    // The moment's two labels first: they were asked for.
    for (const PendingLabel& label : momentLabels) Label(label.at, label.text, label.colour, false);
    for (const PendingLabel& label : markLabels) Label(label.at, label.text, label.colour, false);
    for (const PendingLabel& label : timeLabels) Label(label.at, label.text, label.colour, false);
    out << "<g stroke=\"#4a545e\" stroke-width=\"0.7\">\n";
    for (const PendingLabel& label : placed) {
      if (!label.from) continue;
      // To the nearest point of the text's box.
      const double textWidth = static_cast<double>(label.text.size()) * kCharWidth;
      const double x = std::clamp(label.from->x, label.at.x, label.at.x + textWidth);
      const double y = std::clamp(label.from->y, label.at.y - kFontSize + 2, label.at.y);
      out << "<line x1=\"" << Num(label.from->x) << "\" y1=\"" << Num(label.from->y) << "\" x2=\"" << Num(x)
          << "\" y2=\"" << Num(y) << "\"/>\n";
    }
    // A white outline under each text keeps it readable over the ways.
    out << "</g>\n<g stroke=\"#ffffff\" stroke-width=\"3\" stroke-linejoin=\"round\" fill=\"#ffffff\">\n";
    for (const PendingLabel& label : placed) WriteText(label, "");
    out << "</g>\n<g>\n";
    for (const PendingLabel& label : placed) WriteText(label, label.colour);
    out << "</g>\n";
  }

  void WriteText(const PendingLabel& label, const std::string& colour) {
    out << "<text x=\"" << Num(label.at.x) << "\" y=\"" << Num(label.at.y) << "\"";
    if (!colour.empty()) out << " fill=\"" << Darker(colour) << "\"";
    out << ">" << Xml(label.text) << "</text>\n";
  }

  // A time colour made dark enough to read as text.
  static std::string Darker(const std::string& colour) {
    const unsigned rgb = static_cast<unsigned>(std::stoul(colour.substr(1), nullptr, 16));
    unsigned dark = 0;
    for (int shift = 16; shift >= 0; shift -= 8) dark |= (((rgb >> shift) & 0xff) * 7 / 10) << shift;
    return Hex(dark);
  }

  // --- header and legend ------------------------------------------------

  void Header() {
    std::string about = picture.map.empty() ? "no map" : picture.map;
    if (!picture.levelName.empty()) about += " \u201c" + picture.levelName + "\u201d";
    char times[96];
    std::snprintf(times, sizeof times, "demo time %.1f to %.1f s", startTime, endTime);
    out << "<text x=\"" << Num(kMargin) << "\" y=\"24\" font-size=\"16\" font-weight=\"bold\" fill=\"#1d2227\">"
        << Xml(picture.title) << "</text>\n"
        << "<text x=\"" << Num(kMargin) << "\" y=\"44\" fill=\"#3c444c\">" << Xml(about) << " \u00b7 " << times
        << " \u00b7 seen from above, north up</text>\n";
  }

  void Legend() {
    const double top = mapTop + mapHeight + kStrip + 14;
    const double barWidth = 300;
    const double left = kMargin;
    out << "<g fill=\"#1d2227\">\n<text x=\"" << Num(left) << "\" y=\"" << Num(top + 10) << "\">demo time</text>\n"
        << "<rect x=\"" << Num(left) << "\" y=\"" << Num(top + 16) << "\" width=\"" << Num(barWidth)
        << "\" height=\"12\" fill=\"url(#time)\" stroke=\"#8a9096\" stroke-width=\"0.5\"/>\n";
    constexpr int kLegendTicks = 5;
    const double step = TimeStep(endTime - startTime, kLegendTicks);
    const double first = std::ceil(startTime / step) * step;
    // Counted, not summed: a step far below the times' own precision would
    // never move a sum on.
    for (int index = 0; index <= kLegendTicks + 1; ++index) {
      const double tick = first + index * step;
      if (tick > endTime + 1e-6) break;
      const double x = left + (tick - startTime) / (endTime - startTime) * barWidth;
      const std::string text = TimeLabel(tick, step);
      out << "<line x1=\"" << Num(x) << "\" y1=\"" << Num(top + 28) << "\" x2=\"" << Num(x) << "\" y2=\""
          << Num(top + 32) << "\" stroke=\"#1d2227\"/>\n"
          << "<text x=\"" << Num(x) << "\" y=\"" << Num(top + 44) << "\" text-anchor=\"middle\">" << text
          << "</text>\n";
    }
    ScaleBar(left, top + 66);
    out << "</g>\n";
    Key(left + barWidth + 40, top);
  }

  void ScaleBar(double left, double y) {
    static constexpr double kUnits[] = {16, 32, 64, 128, 256, 512, 1024, 2048, 4096, 8192};
    double units = kUnits[0];
    for (const double candidate : kUnits) {
      if (candidate * scale <= 160) units = candidate;
    }
    const double length = units * scale;
    out << "<path d=\"M" << Num(left) << " " << Num(y - 4) << "V" << Num(y) << "H" << Num(left + length) << "V"
        << Num(y - 4) << "\" fill=\"none\" stroke=\"#1d2227\" stroke-width=\"1.5\"/>\n"
        << "<text x=\"" << Num(left + length + 8) << "\" y=\"" << Num(y) << "\">"
        << Num(units).substr(0, Num(units).size() - 2) << " map units</text>\n";
  }

  // The symbols, in two columns of four.
  void Key(double left, double top) {
    const std::string middle = TimeColour(0.5);
    auto at = [&](int index) { return Point{left + (index / 4) * kKeyColumn, top + 8 + (index % 4) * 19.0}; };
    const char* labels[] = {"the player's way",
                            "the camera's way, time dots",
                            "where the camera looks",
                            "an entity the script follows",
                            "position command: time, word",
                            "view command, at its target",
                            "zone and its camera spot",
                            "floors: higher is lighter"};
    // What the picture holds no instance of needs no key.
    const bool absent[8] = {
        false, false, false, picture.followed.empty(), false, false, picture.zones.empty(), picture.floors.empty()};
    int slot = 0;
    for (int index = 0; index < 8; ++index) {
      if (absent[index]) continue;
      const Point p = at(slot++);
      const double y = p.y;
      const double x = p.x;
      switch (index) {
        case 0:
          out << "<line x1=\"" << Num(x) << "\" y1=\"" << Num(y) << "\" x2=\"" << Num(x + 26) << "\" y2=\"" << Num(y)
              << "\" stroke=\"" << middle
              << "\" stroke-width=\"10\" stroke-opacity=\"0.35\" stroke-linecap=\"round\"/>\n";
          break;
        case 1:
          out << "<line x1=\"" << Num(x) << "\" y1=\"" << Num(y) << "\" x2=\"" << Num(x + 26) << "\" y2=\"" << Num(y)
              << "\" stroke=\"#1d2227\" stroke-width=\"3.4\" stroke-linecap=\"round\"/><line x1=\"" << Num(x)
              << "\" y1=\"" << Num(y) << "\" x2=\"" << Num(x + 26) << "\" y2=\"" << Num(y) << "\" stroke=\"" << middle
              << "\" stroke-width=\"2\" stroke-linecap=\"round\"/><circle cx=\"" << Num(x + 13) << "\" cy=\"" << Num(y)
              << "\" r=\"3\" fill=\"#ffffff\" stroke=\"" << middle << "\" stroke-width=\"1.5\"/>\n";
          break;
        case 2:
          out << "<line x1=\"" << Num(x + 4) << "\" y1=\"" << Num(y + 4) << "\" x2=\"" << Num(x + 22) << "\" y2=\""
              << Num(y - 4) << "\" stroke=\"" << Darker(middle)
              << "\" stroke-width=\"1.6\" stroke-linecap=\"round\"/>\n";
          break;
        case 3:
          out << "<line x1=\"" << Num(x) << "\" y1=\"" << Num(y) << "\" x2=\"" << Num(x + 26) << "\" y2=\"" << Num(y)
              << "\" stroke=\"" << middle
              << "\" stroke-width=\"2\" stroke-dasharray=\"1 4\" "
                 "stroke-linecap=\"round\"/>\n";
          break;
        case 4:
          out << "<rect x=\"" << Num(x + 9) << "\" y=\"" << Num(y - 4) << "\" width=\"8\" height=\"8\" fill=\""
              << middle << "\" stroke=\"#1d2227\"/>\n";
          break;
        case 5:
          out << "<path d=\"M" << Num(x + 13) << " " << Num(y - 5.5) << "l5.5 5.5l-5.5 5.5l-5.5 -5.5Z\" fill=\""
              << middle << "\" stroke=\"#1d2227\"/>\n";
          break;
        case 6:
          out << "<rect x=\"" << Num(x + 1) << "\" y=\"" << Num(y - 6)
              << "\" width=\"24\" height=\"12\" fill=\"#5a6470\" "
                 "fill-opacity=\"0.05\" stroke=\"#5a6470\" stroke-dasharray=\"6 4\"/>\n";
          break;
        default:
          out << "<rect x=\"" << Num(x + 1) << "\" y=\"" << Num(y - 6) << "\" width=\"12\" height=\"12\" fill=\""
              << FloorShade(0) << "\" stroke=\"#9ea5ac\" stroke-width=\"0.5\"/><rect x=\"" << Num(x + 13) << "\" y=\""
              << Num(y - 6) << "\" width=\"12\" height=\"12\" fill=\"" << FloorShade(kFloorBands - 1)
              << "\" stroke=\"#9ea5ac\" stroke-width=\"0.5\"/>\n";
          break;
      }
      out << "<text x=\"" << Num(x + 34) << "\" y=\"" << Num(y + 4) << "\" fill=\"#1d2227\">" << labels[index]
          << "</text>\n";
    }
  }

  const PreviewPicture& picture;
  const TimeRange& range;
  std::optional<float> moment;
  std::ostream& out;
  double startTime = 0;
  double endTime = 1;
  double scale = 1;
  double worldLeft = 0;
  double worldTop = 0;
  double mapLeft = 0;
  double mapTop = 0;
  double mapWidth = 0;
  double mapHeight = 0;
  double width = 0;
  double height = 0;
  std::vector<Box> taken;
  std::vector<PendingLabel> placed;
  std::size_t labelsTried = 0;
  std::vector<PendingLabel> momentLabels;
  std::vector<PendingLabel> markLabels;
  std::vector<PendingLabel> timeLabels;
};

}  // namespace

void WritePreviewSvg(const PreviewPicture& picture, const TimeRange& range, std::ostream& out) {
  Drawing(picture, range, std::nullopt, out).Write();
}

void WritePreviewSvg(const PreviewPicture& picture, const TimeRange& range, std::optional<float> moment,
                     std::ostream& out) {
  Drawing(picture, range, moment, out).Write();
}

}  // namespace cw
