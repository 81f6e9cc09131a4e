#pragma once
// What the script's palette and event commands put into the stream.

namespace cw {

class CBlock;
struct RefilmContext;
struct StreamState;

// How many names a level's sound list can hold, counted from index 0: a
// byte's worth in protocol 15, the engine's limit in 666 and 999.
int SoundListSize(const StreamState& stream);

// End of block: at most one palette or fade command takes effect.
void PaletteStage(RefilmContext& context, CBlock& out);
// End of block: at most one text, subtitle, sound or eyes command.
void EventStage(RefilmContext& context, CBlock& out);
// After svc_serverinfo is written: the script's sounds join the sound list,
// growing the message by at most `room` bytes.
void ExtendSoundList(RefilmContext& context, CBlock& out, int room);

}  // namespace cw
