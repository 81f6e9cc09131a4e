#pragma once
// What the script's palette and event commands put into the stream.

namespace cw {

class CBlock;
struct Context;

// End of block: at most one palette or fade command takes effect.
void PaletteStage(Context& context, CBlock& out);
// End of block: at most one text, subtitle, sound or eyes command.
void EventStage(Context& context, CBlock& out);
// After svc_serverinfo is written: the script's sounds join the sound list,
// growing the message by at most `room` bytes.
void ExtendSoundList(Context& context, CBlock& out, int room);

}  // namespace cw
