#include "console/stop_signals.h"

#include <csignal>

namespace cw {
namespace {

// A signal handler can reach nothing but a flag of this type at namespace
// scope: this is the one piece of state the program keeps there.
volatile std::sig_atomic_t receivedSignal = 0;

extern "C" void NoteStopSignal(int signal) { receivedSignal = signal; }

}  // namespace

StopSignals::StopSignals() {
  receivedSignal = 0;
  previousInterrupt = std::signal(SIGINT, NoteStopSignal);
  previousTerminate = std::signal(SIGTERM, NoteStopSignal);
  // A signal that the program was started to ignore (nohup, a background
  // job) stays ignored.
  if (previousInterrupt == SIG_IGN) std::signal(SIGINT, SIG_IGN);
  if (previousTerminate == SIG_IGN) std::signal(SIGTERM, SIG_IGN);
}

StopSignals::~StopSignals() {
  std::signal(SIGINT, previousInterrupt == SIG_ERR ? SIG_DFL : previousInterrupt);
  std::signal(SIGTERM, previousTerminate == SIG_ERR ? SIG_DFL : previousTerminate);
}

int StopSignals::Received() { return receivedSignal; }

void StopSignals::EndAsAsked() {
  const int signal = receivedSignal;
  if (signal == 0) return;
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

}  // namespace cw
