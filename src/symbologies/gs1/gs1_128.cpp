// GS1-128: element strings "(AI)data..." (or "[AI]data...") parsed and validated (each AI's
// data, repetitions, required and excluded companions, the 48-character
// limit), then set in Code 128 behind FNC1.
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "symbologies/encoders.h"
#include "symbologies/gs1/gs1.h"

namespace tavo {
namespace {

constexpr char kFnc1 = static_cast<char>(185);

// Where parsing stands: the next byte of the value and the next byte of the
// Code 128 value.  Passed and returned by value, so that the byte stores
// (a char may alias anything) do not force the positions out to memory.
struct Cursor {
  const char* in;
  char* out;
};

// What is wrong with an AI that is not two to four digits and ')', from its
// first byte on.
int32_t AiFault(const char* in, const char* end) {
  bool digits = true;
  const char* const first = in;
  for (; in != end && *in != ')'; ++in) {
    if (*in == '(') return kGs1UnbalancedParenthesis;
    digits = digits && *in >= '0' && *in <= '9';
  }
  if (in == end) return kGs1UnbalancedParenthesis;
  if (in == first || !digits) return kGs1MissingAi;
  return kGs1UnknownAi;  // one digit, or five and more
}

// Reads "(AI)" into the element, writing its digits; the cursor moves past
// ')'.
int32_t ReadAi(Cursor& cursor, const char* end, Gs1Element& e) {
  Cursor c = cursor;
  if (*c.in == ')') return kGs1UnbalancedParenthesis;
  if (*c.in != '(') return kGs1MissingAi;
  const char* const first = ++c.in;
  // Two to four digits and ')': the common case, read in one go.
  unsigned key = 0;
  size_t n = 0;
  for (; n < 4 && first + n != end && first[n] >= '0' && first[n] <= '9'; ++n) {
    key = key * 10 + static_cast<unsigned>(first[n] - '0');
  }
  if (n < 2 || first + n == end || first[n] != ')') return AiFault(first, end);
  for (size_t pad = n; pad < 4; ++pad) key *= 10;
  e.entry = FindGs1Ai(static_cast<uint16_t>(key), n);
  if (e.entry == nullptr) return kGs1UnknownAi;
  e.digits = static_cast<uint8_t>(n);
  e.key = static_cast<uint16_t>(key);
  for (size_t i = 0; i < n; ++i) *c.out++ = first[i];
  c.in = first + n + 1;
  cursor = c;
  return kOk;
}

// How many of the eight bytes of x (in memory order) lead as '0'..'9': a
// digit is 0x3N and stays so when 6 is added.  A carry out of a byte above
// 0xF9 only reaches the bytes after it, which do not lead.
size_t LeadingDigits(uint64_t x) {
  constexpr uint64_t kHigh = 0xF0F0F0F0F0F0F0F0u;
  constexpr uint64_t kThree = 0x3030303030303030u;
  constexpr uint64_t kSix = 0x0606060606060606u;
  uint64_t other = ((x & kHigh) ^ kThree) | (((x + kSix) & kHigh) ^ kThree);
  const int bits = std::endian::native == std::endian::big ? std::countl_zero(other) : std::countr_zero(other);
  return static_cast<size_t>(bits) / 8;  // 64 bits, eight bytes, when all are digits
}

// Writes the data after an AI, unescaped, up to the next unescaped '(' or
// the end, where the cursor stops.  `csets` gets the character sets common
// to all its bytes.
int32_t ReadData(Cursor& cursor, const char* end, uint8_t& csets) {
  Cursor c = cursor;
  // Most data is digits: copy them first, eight bytes at a time while eight
  // remain, keeping the leading digits of each.  The output lags the value
  // by at least the AI's parentheses, so eight bytes fit.
  while (end - c.in >= 8) {
    uint64_t x;
    std::memcpy(&x, c.in, 8);
    std::memcpy(c.out, &x, 8);
    const size_t digits = LeadingDigits(x);
    c.in += digits;
    c.out += digits;
    if (digits < 8) break;
  }
  while (c.in != end && static_cast<unsigned char>(*c.in - '0') < 10) *c.out++ = *c.in++;
  unsigned common = c.in == cursor.in ? kGs1AllCsets | kGs1DataStop
                                      : kGs1ByteClasses[static_cast<unsigned char>('0')] | kGs1DataStop;
  for (; c.in != end; ++c.in) {
    char b = *c.in;
    const uint8_t byte_class = kGs1ByteClasses[static_cast<unsigned char>(b)];
    if (byte_class & kGs1DataStop) {
      if (b == '(') break;
      if (b == ')') return kGs1UnbalancedParenthesis;
      if (c.in + 1 != end && (c.in[1] == '(' || c.in[1] == ')')) {
        b = *++c.in;  // an escaped parenthesis is data
        common &= kGs1ByteClasses[static_cast<unsigned char>(b)];
      } else {
        common = 0;  // a lone backslash is in no set
      }
    } else {
      common &= byte_class;
    }
    *c.out++ = b;
  }
  csets = static_cast<uint8_t>(common & kGs1AllCsets);
  cursor = c;
  return kOk;
}

int32_t ValidateCombination(const Gs1Message& m, const Gs1Limit& limit) {
  Gs1AiSet present;
  uint64_t keys_seen = 0;  // bit key mod 64 of every earlier element's AI
  for (size_t i = 0; i < m.count; ++i) {
    const Gs1Element& e = m.Element(i);
    const uint64_t key_bit = uint64_t{1} << (e.key % 64);
    const bool maybe_repeated = keys_seen & key_bit;
    keys_seen |= key_bit;
    for (size_t j = 0; j < i && maybe_repeated; ++j) {
      if (m.Element(j).key != e.key) continue;
      if (m.Data(m.Element(j)) != m.Data(e)) return kGs1RepeatedAi;
    }
    present.Add(e.entry->member);
  }
  // Everything after the leading FNC1 counts.
  if (m.code128.size() - 1 > limit.data_characters) return limit.too_long;
  for (size_t i = 0; i < m.count; ++i) {
    const Gs1Element& e = m.Element(i);
    // The other elements' members are among those present.
    if (present.Intersects(e.entry->excludes)) {
      Gs1AiSet others;  // an AI never excludes itself
      for (size_t k = 0; k < m.count; ++k) {
        if (m.Element(k).key != e.key) others.Add(m.Element(k).entry->member);
      }
      if (others.Intersects(e.entry->excludes)) return kGs1ExclusiveAis;
    }
    if (!MeetsGs1Requirements(*e.entry, present)) return kGs1MissingCompanion;
  }
  return kOk;
}

// The slot of the next element: inside the message, or (past GS1-128's
// limit of elements) on its heap.
Gs1Element* NextElement(Gs1Message& message, const Gs1Limit& limit) {
  if (message.count < Gs1Message::kInlineElements) return &message.inline_elements[message.count];
  if (!limit.stop_when_passed) return nullptr;
  return &message.more_elements.emplace_back();
}

// The parenthesis form of a value in the bracket form "[AI]data...", with
// the same meaning and the same faults: '[' and ']' become '(' and ')';
// in data a plain '(' or ')' is escaped and \( \) stay escapes, while
// a backslash that escapes nothing becomes byte 1 (in no character set,
// like the backslash, which would otherwise escape a '(' that follows it);
// inside an AI a parenthesis is as much a non-digit as 'x'.
std::string BracketsToParentheses(std::string_view value) {
  std::string out;
  out.reserve(value.size() + value.size() / 4);
  bool in_ai = false;
  for (size_t i = 0; i < value.size(); ++i) {
    const char c = value[i];
    if (c == '[' || c == ']') {
      out.push_back(c == '[' ? '(' : ')');
      in_ai = c == '[';
    } else if (c == '(' || c == ')') {
      if (!in_ai) out.push_back('\\');
      out.push_back(in_ai ? 'x' : c);
    } else if (c == '\\' && !in_ai) {
      const bool escape = i + 1 < value.size() && (value[i + 1] == '(' || value[i + 1] == ')');
      out.push_back(escape ? c : '\x01');
      if (escape) out.push_back(value[++i]);
    } else {
      out.push_back(c);
    }
  }
  return out;
}

int32_t ParseParenthesized(std::string_view value, Gs1Message& message, const Gs1Limit& limit);

// Kept out of line, so that the parenthesis form, the common one, carries
// no string of its own.
[[gnu::noinline]] int32_t ParseBracketed(std::string_view value, Gs1Message& message, const Gs1Limit& limit) {
  return ParseParenthesized(BracketsToParentheses(value), message, limit);
}

int32_t ParseParenthesized(std::string_view value, Gs1Message& message, const Gs1Limit& limit) {
  message.count = 0;
  message.more_elements.clear();
  FontString& out = message.code128;
  out.clear();
  if (value.empty()) return kGs1MissingAi;
  // An element writes fewer bytes than it takes from the value ("(" and ")"
  // become at most one FNC1), so the value's length bounds the result.
  char* const base = out.Extend(value.size() + 1);
  const char* const end = value.data() + value.size();
  Cursor c{value.data(), base};
  *c.out++ = kFnc1;
  bool after_variable = false;  // the previous element's length is not predefined
  while (c.in != end) {
    Gs1Element* const slot = NextElement(message, limit);
    if (slot == nullptr) return kGs1TooLong;
    if (after_variable) *c.out++ = kFnc1;  // another element follows one of variable length
    Gs1Element& e = *slot;
    e.at = static_cast<uint16_t>(c.out - base);
    if (int32_t rc = ReadAi(c, end, e)) return rc;
    uint8_t csets = 0;
    if (int32_t rc = ReadData(c, end, csets)) return rc;
    if (limit.stop_when_passed && static_cast<size_t>(c.out - base) - 1 > limit.data_characters) {
      return limit.too_long;
    }
    // Positions fit 16 bits: a value this long is refused before it matters.
    if (c.out - base > 0xFFFF) return kGs1TooLong;
    e.end = static_cast<uint16_t>(c.out - base);
    if (int32_t rc = ValidateGs1Data(*e.entry, message.Data(e), csets)) return rc;
    after_variable = !e.entry->predefined_length;
    ++message.count;
  }
  out.resize(static_cast<size_t>(c.out - base));
  return ValidateCombination(message, limit);
}

}  // namespace

int32_t ParseGs1ElementStrings(std::string_view value, Gs1Message& message, const Gs1Limit& limit) {
  if (!value.empty() && value.front() == '[') return ParseBracketed(value, message, limit);
  return ParseParenthesized(value, message, limit);
}

void AppendGs1HumanReadable(const Gs1Message& message, FontString& out) {
  for (size_t i = 0; i < message.count; ++i) {
    const Gs1Element& e = message.Element(i);
    out.push_back('(');
    out.append(message.Ai(e)).push_back(')');
    out.append(message.Data(e));
  }
}

TAVO_FLATTEN int32_t EncodeGs1_128(std::string_view value, const Options& /*options: the check is mandatory*/, FontString& out) {
  Gs1Message message;
  if (int32_t rc = ParseGs1ElementStrings(value, message)) return rc;
  // The Code 128 encoder adds its check character whatever the option says.
  return EncodeCode128(message.code128, Options{.check = false}, out);
}

}  // namespace tavo
