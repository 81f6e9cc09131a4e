#pragma once
// The first line of a script the generator writes: a comment that says so,
// with a fingerprint of the whole script. A file that begins with such a
// line, and whose text still gives its fingerprint, is the generator's own,
// which a new generation may replace; any edit, to the line itself or below
// it, makes the file the user's. The script reader passes over the line, as
// over any comment.

#include <string>
#include <string_view>

namespace cw {

// `script` with its first line put before it; `demo` names the demo it was
// generated from.
std::string MarkGeneratedScript(std::string_view demo, std::string_view script);

// Whether `text` is a script the generator wrote and nobody has edited since.
bool IsUneditedGeneratedScript(std::string_view text);

}  // namespace cw
