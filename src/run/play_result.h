#pragma once
// "Play when done": the result played as the user asked, never silently
// not. A program "play" of the user's own (in the current directory or on
// the search path) is run with the result's name, as always; otherwise the
// result plays in the installed Quake engine with the game data; with
// neither, a message says what is missing and what mends it.

namespace cw {

struct RefilmOptions;
class Platform;

void PlayResult(const RefilmOptions& options, Platform& platform);

}  // namespace cw
