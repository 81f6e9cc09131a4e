#pragma once
// The copy of a demo that the engine plays for a film: the same blocks
// without their console texts (svc_stufftext), which the film's own
// commands run at the frames the engine would have run them (see
// engine_script.h). The user's demo is only read.

#include <iosfwd>
#include <string>

namespace cw {

// False, with `error`, when the source is no demo or the copy cannot be written.
bool WriteFilmCopy(std::istream& source, std::ostream& copy, std::string& error);

}  // namespace cw
