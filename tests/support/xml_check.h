#pragma once
// An XML well-formedness check for the pictures the program writes: one
// root element, every tag closed in order, attributes quoted and given once,
// only the five predefined entities and character references, text of
// characters XML allows, whole UTF-8. Enough to tell whether any XML
// reader (and so any SVG renderer) takes the document.

#include <string>
#include <string_view>

namespace cw::test {

// Empty when `text` is a well-formed document; otherwise the first fault
// and its byte offset.
std::string XmlFault(std::string_view text);

}  // namespace cw::test
