// Fuzzes the two GS1 Digital Link entries.  Both keep the buffer contract (a
// success fits the capacity and writes nothing past its text, an error
// writes nothing).  BC_GS1FromDigitalLink: element strings it accepts make a
// URI again (under the GS1 stem) that reads back into the same element
// strings, in any order; the one refusal allowed there is a qualifier of
// another sequence of the key that the URI carried as a query parameter,
// which the standard lets a URI hold but not a generator write.
// BC_GS1DigitalLink: a URI it makes reads back, and the element strings read
// make the same URI again.
#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "tavo32.h"

namespace {

constexpr int32_t kUntouched = -12345;

// Calls an export into a guarded buffer of `capacity` bytes and checks the
// contract; the text on success, or the error code in `rc`.
template <class F>
std::string Checked(int32_t capacity, int32_t& rc, F&& call) {
  const size_t room = capacity <= 0 ? 0 : static_cast<size_t>(capacity);
  tavo::fuzz::GuardedBuffer buf(room);
  int32_t len = kUntouched;
  rc = call(buf.data(), capacity, &len);
  if (rc == 0) {
    if (len <= 0 || len > capacity || !buf.UntouchedFrom(static_cast<size_t>(len))) std::abort();
    return std::string(buf.data(), static_cast<size_t>(len));
  }
  if (len != kUntouched || !buf.UntouchedFrom(0)) std::abort();
  return {};
}

constexpr int32_t kAmple = 1 << 16;

std::string Make(const std::string& value, const std::string& domain, int32_t& rc, int32_t capacity = kAmple) {
  return Checked(capacity, rc, [&](char* b, int32_t c, int32_t* l) {
    return BC_GS1DigitalLink(value.c_str(), domain.c_str(), b, c, l);
  });
}

std::string Parse(const std::string& uri, int32_t& rc, int32_t capacity = kAmple) {
  return Checked(capacity, rc, [&](char* b, int32_t c, int32_t* l) { return BC_GS1FromDigitalLink(uri.c_str(), b, c, l); });
}

// The "(AI)data" pieces of element strings (split before each unescaped
// '('), sorted.
std::vector<std::string> Pieces(const std::string& elements) {
  std::vector<std::string> pieces;
  for (size_t i = 0; i < elements.size(); ++i) {
    if (elements[i] == '(' && (i == 0 || elements[i - 1] != '\\')) pieces.emplace_back();
    if (pieces.empty()) std::abort();
    pieces.back().push_back(elements[i]);
  }
  std::sort(pieces.begin(), pieces.end());
  return pieces;
}

void FromUri(const std::string& uri, int32_t capacity) {
  int32_t rc = 0;
  Parse(uri, rc, capacity);
  const std::string elements = Parse(uri, rc);
  if (rc) return;
  int32_t made_rc = 0;
  const std::string again = Make(elements, "", made_rc);
  if (made_rc == BC_FONT_ERR_GS1_DL_QUALIFIER_SEQUENCE) return;
  if (made_rc) std::abort();
  const std::string back = Parse(again, rc);
  if (rc || Pieces(back) != Pieces(elements)) std::abort();
}

void ToUri(const std::string& value, const std::string& domain, int32_t capacity) {
  int32_t rc = 0;
  Make(value, domain, rc, capacity);
  const std::string uri = Make(value, domain, rc);
  if (rc) return;
  const std::string elements = Parse(uri, rc);
  if (rc) std::abort();
  if (Make(elements, domain, rc) != uri || rc) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  tavo::fuzz::Reader in(data, size);
  const uint8_t selector = in.Byte();
  const int32_t capacity = tavo::fuzz::PickCapacity(in.Byte(), in.Int32());
  std::string domain;
  if (selector & 2) {
    domain = "https://";
    for (uint8_t n = in.Byte() % 16; n > 0; --n) domain.push_back(static_cast<char>(in.Byte()));
  }
  const std::string text = in.Rest();
  if (selector & 1) {
    ToUri(text, domain, capacity);
  } else {
    FromUri(text, capacity);
  }
  return 0;
}
