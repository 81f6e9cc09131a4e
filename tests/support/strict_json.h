#pragma once
// A JSON checker stricter than most readers: a key given twice in one
// object, a NaN or infinity, a number or escape outside the grammar, or
// anything after the value is a fault. A reader that keeps the last of two
// equal keys would hide the first; this one names it.

#include <string>
#include <string_view>

namespace cw::test {

// Empty when `text` is one JSON value (whitespace around it allowed);
// otherwise the first fault and its byte offset. Nesting deeper than 512
// levels is a fault too, so that no input can exhaust the stack.
std::string StrictJsonFault(std::string_view text);

}  // namespace cw::test
