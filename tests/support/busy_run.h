#pragma once
// A run that exercises as much of the stream as it can: every option on and
// a script that uses every command word. Shared by the benchmark and the
// fuzz targets.

#include <string>

namespace cw {
struct RefilmOptions;
}

namespace cw::test {

// Every edit on, with non-default colours, credits and a chained demo. The
// file names and `generateScript` are left alone.
void TurnEveryOptionOn(RefilmOptions& options);

// A script that uses every command word once every `period` seconds of demo
// time, from 0 to `seconds`; follows entities 1, 2 and 3.
std::string BusyScript(float seconds, int period = 10);

}  // namespace cw::test
