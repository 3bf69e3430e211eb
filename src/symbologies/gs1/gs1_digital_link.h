// GS1 Digital Link (GS1 Digital Link Standard: URI Syntax, release 1.2):
// element strings written as a web address, and such an address read back
// into element strings.  The primary keys, their qualifier sequences and the
// AIs permitted as data attributes come from the GS1 Barcode Syntax
// Dictionary (its dlpkey attribute and '?' flag), through the generated
// tables.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tavo {

// The stem GS1 resolves, and the same in upper case: a URI of upper-case
// letters and digits fits QR Code's alphanumeric mode.
inline constexpr std::string_view kGs1DlStem = "https://id.gs1.org";
inline constexpr std::string_view kGs1DlStemUpper = "HTTPS://ID.GS1.ORG";

// The longest message, in data characters, either direction accepts.
inline constexpr size_t kGs1DlMaxDataCharacters = 4096;

// Checks a caller's domain ("https://example.com/some/path"): http:// or
// https:// in lower case, a host, URI characters only, no query or
// fragment.  Empty means kGs1DlStem.  Sets `stem` to it without the
// trailing '/'s.  0 or kGs1DlBadDomain.
int32_t CheckGs1DlDomain(std::string_view domain, std::string_view& stem);

// The URI of `value` (element strings "(AI)data..." or "[AI]data...",
// validated as for a bar code) under `stem` (not checked): the first
// primary key and its qualifiers in the path, in the order of the one
// sequence of the dictionary that holds all of them, then the other AIs as
// query parameters, those of predefined length first, each group in the
// order of the value (an AI repeated with the same data once).  Path and
// query values are percent-encoded outside RFC 3986's unreserved set.
// Appends to `uri`; 0 or the first error.
int32_t MakeGs1DigitalLink(std::string_view value, std::string_view stem, std::string& uri);

// The element strings of a Digital Link URI, "(AI)data..." with \( and \)
// for literal parentheses, path elements first, then query parameters in
// their order; checked as a bar code value is.  The stem may hold path
// segments of its own; query parameters whose name is not numeric, or that
// have no '=', are ignored.  Appends to `elements`; 0 or the first error.
int32_t ParseGs1DigitalLink(std::string_view uri, std::string& elements);

}  // namespace tavo
