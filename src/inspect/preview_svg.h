#pragma once
// The preview picture as SVG 1.1, seen from above with north up: the map's
// floors, the zones, the player's way, the camera's way with time marks and
// strokes for where it looks, the followed entities, the script's position
// and view commands; coloured by demo time, with a legend, scaled to what
// happens in the time drawn.

#include <iosfwd>
#include <optional>

namespace cw {

struct PreviewPicture;

struct TimeRange {
  std::optional<float> from;
  std::optional<float> to;
  bool Holds(float time) const { return (!from || time >= *from) && (!to || time <= *to); }
};

void WritePreviewSvg(const PreviewPicture& picture, const TimeRange& range, std::ostream& out);
// With `moment`, also marks where the player and the camera are at that
// demo time.
void WritePreviewSvg(const PreviewPicture& picture, const TimeRange& range, std::optional<float> moment,
                     std::ostream& out);

}  // namespace cw
