#pragma once
// An interrupt (SIGINT) or a termination request (SIGTERM) that arrives
// while a run works asks the run to stop between two blocks, so that it can
// remove its temporary files before the program ends.

namespace cw {

class StopSignals {
 public:
  // Catches both signals until the object goes; a signal that came before
  // is forgotten.
  StopSignals();
  ~StopSignals();
  StopSignals(const StopSignals&) = delete;
  StopSignals& operator=(const StopSignals&) = delete;

  static bool Requested() { return Received() != 0; }
  // The signal that asked for the stop, 0 when none came.
  static int Received();
  // Once the run has cleaned up: the program ends the way the signal would
  // have ended it, so that a shell or a job runner sees the interruption.
  static void EndAsAsked();

 private:
  using Handler = void (*)(int);
  Handler previousInterrupt;
  Handler previousTerminate;
};

}  // namespace cw
