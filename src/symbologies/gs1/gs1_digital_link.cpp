// GS1 Digital Link: element strings to a URI and back.  The rules follow
// the GS1 Digital Link Standard (URI Syntax, release 1.2); where it leaves
// the order of query parameters open, ours is that of the GS1 Barcode
// Syntax Engine (AIs of predefined length first), so that both give the
// same URI.
#include "symbologies/gs1/gs1_digital_link.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "interface/errors.h"
#include "symbologies/gs1/gs1.h"

namespace tavo {
namespace {

constexpr Gs1Limit kDlLimit{kGs1DlMaxDataCharacters, kGs1DlTooLong, true};

// RFC 3986, section 2.3 (unreserved) and 2.2 (reserved: gen-delims and
// sub-delims), and '%', which starts an escape.
constexpr std::string_view kUnreserved =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-._~";
constexpr std::string_view kReserved = ":/?#[]@!$&'()*+,;=";

constexpr uint8_t kIsUnreserved = 1;
constexpr uint8_t kIsUriByte = 2;
constexpr std::array<uint8_t, 256> kUriBytes = [] {
  std::array<uint8_t, 256> classes{};
  for (char c : kUnreserved) classes[static_cast<unsigned char>(c)] = kIsUnreserved | kIsUriByte;
  for (char c : kReserved) classes[static_cast<unsigned char>(c)] = kIsUriByte;
  classes['%'] = kIsUriByte;
  return classes;
}();

bool AllUriBytes(std::string_view s) {
  for (char c : s) {
    if (!(kUriBytes[static_cast<unsigned char>(c)] & kIsUriByte)) return false;
  }
  return true;
}

void AppendPercentEncoded(std::string_view data, std::string& out) {
  constexpr std::string_view kHex = "0123456789ABCDEF";
  for (char c : data) {
    const auto b = static_cast<unsigned char>(c);
    if (kUriBytes[b] & kIsUnreserved) {
      out.push_back(c);
    } else {
      out.push_back('%');
      out.push_back(kHex[b >> 4]);
      out.push_back(kHex[b & 15]);
    }
  }
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// The scheme's length ("http://" or "https://", lower case), or 0.
size_t SchemeLength(std::string_view uri) {
  for (std::string_view scheme : {std::string_view("https://"), std::string_view("http://")}) {
    if (uri.starts_with(scheme)) return scheme.size();
  }
  return 0;
}

// The same for a URI read back: all upper case is taken too, since the QR
// Code symbols of a URI write "HTTPS://ID.GS1.ORG" to fit alphanumeric mode
// and must read back.  A mixed case ("HtTp://") is refused, as the GS1
// Barcode Syntax Engine refuses it.
size_t ReadSchemeLength(std::string_view uri) {
  if (const size_t n = SchemeLength(uri)) return n;
  for (std::string_view scheme : {std::string_view("HTTPS://"), std::string_view("HTTP://")}) {
    if (uri.starts_with(scheme)) return scheme.size();
  }
  return 0;
}

bool SameAi(const Gs1Element& a, const Gs1Element& b) { return a.key == b.key && a.digits == b.digits; }

bool InSequence(const Gs1DlSequence& s, const Gs1Element& e, size_t& at) {
  for (size_t i = 0; i < s.count; ++i) {
    if (s.keys[i] == e.key && s.digits[i] == e.digits) {
      at = i;
      return true;
    }
  }
  return false;
}

// The roles of a message's elements in its URI.
enum class Role : uint8_t { kKey, kQualifier, kAttribute, kRepeat };

// The first primary key, or message.count.
size_t PrimaryKeyOf(const Gs1Message& m) {
  for (size_t i = 0; i < m.count; ++i) {
    if (Gs1DlRowOf(*m.Element(i).entry).primary_key) return i;
  }
  return m.count;
}

// Gives every element its role, and `sequence` the index (among the key's
// sequences) of the one that holds every qualifier present.
int32_t AssignRoles(const Gs1Message& m, size_t key, std::string& roles, size_t& sequence) {
  const Gs1DlRow& row = Gs1DlRowOf(*m.Element(key).entry);
  uint32_t fits = (1u << row.sequence_count) - 1;  // the sequences still possible
  roles.assign(m.count, static_cast<char>(Role::kAttribute));
  roles[key] = static_cast<char>(Role::kKey);
  for (size_t i = 0; i < m.count; ++i) {
    const Gs1Element& e = m.Element(i);
    bool repeat = false;
    for (size_t j = 0; j < i && !repeat; ++j) repeat = SameAi(m.Element(j), e);
    if (i == key) continue;
    if (repeat || SameAi(m.Element(key), e)) {
      roles[i] = static_cast<char>(Role::kRepeat);  // the parser saw the same data
      continue;
    }
    uint32_t holding = 0;
    for (size_t s = 0; s < row.sequence_count; ++s) {
      size_t at = 0;
      if (InSequence(Gs1DlSequenceAt(row.sequences_begin + s), e, at)) holding |= 1u << s;
    }
    if (holding == 0) {
      if (!Gs1DlRowOf(*e.entry).attribute) return kGs1DlNotAttribute;
      continue;
    }
    roles[i] = static_cast<char>(Role::kQualifier);
    fits &= holding;
    if (fits == 0) return kGs1DlQualifierSequence;
  }
  sequence = 0;
  while (fits != 0 && !(fits & (1u << sequence))) ++sequence;
  return kOk;
}

void AppendPathElement(const Gs1Message& m, const Gs1Element& e, std::string& uri) {
  uri.push_back('/');
  uri.append(m.Ai(e)).push_back('/');
  AppendPercentEncoded(m.Data(e), uri);
}

}  // namespace

int32_t CheckGs1DlDomain(std::string_view domain, std::string_view& stem) {
  if (domain.empty()) {
    stem = kGs1DlStem;
    return kOk;
  }
  const size_t scheme = SchemeLength(domain);
  if (scheme == 0 || domain.size() == scheme || domain[scheme] == '/') return kGs1DlBadDomain;
  if (!AllUriBytes(domain) || domain.find_first_of("?#") != domain.npos) return kGs1DlBadDomain;
  while (domain.ends_with('/')) domain.remove_suffix(1);
  stem = domain;
  return kOk;
}

int32_t MakeGs1DigitalLink(std::string_view value, std::string_view stem, std::string& uri) {
  Gs1Message m;
  if (int32_t rc = ParseGs1ElementStrings(value, m, kDlLimit)) return rc;
  const size_t key = PrimaryKeyOf(m);
  if (key == m.count) return kGs1DlNoPrimaryKey;
  std::string roles;
  size_t sequence = 0;
  if (int32_t rc = AssignRoles(m, key, roles, sequence)) return rc;
  uri.append(stem);
  AppendPathElement(m, m.Element(key), uri);
  const Gs1DlRow& row = Gs1DlRowOf(*m.Element(key).entry);
  if (sequence < row.sequence_count) {
    const Gs1DlSequence& s = Gs1DlSequenceAt(row.sequences_begin + sequence);
    for (size_t q = 0; q < s.count; ++q) {
      for (size_t i = 0; i < m.count; ++i) {
        size_t at = 0;
        if (roles[i] == static_cast<char>(Role::kQualifier) && InSequence(s, m.Element(i), at) && at == q) {
          AppendPathElement(m, m.Element(i), uri);
        }
      }
    }
  }
  char separator = '?';
  for (bool predefined : {true, false}) {
    for (size_t i = 0; i < m.count; ++i) {
      const Gs1Element& e = m.Element(i);
      if (roles[i] != static_cast<char>(Role::kAttribute) || e.entry->predefined_length != predefined) continue;
      uri.push_back(separator);
      separator = '&';
      uri.append(m.Ai(e)).push_back('=');
      AppendPercentEncoded(m.Data(e), uri);
    }
  }
  return kOk;
}

namespace {

// An AI of a URI: its digits, its (still escaped) value and its entry.
struct UriElement {
  std::string_view ai;
  std::string_view value;
  const Gs1Ai* entry;
  uint16_t key;
};

// The dictionary entry of an AI written as a path segment or query name
// (two to four digits), or null.
const Gs1Ai* AiNamed(std::string_view name, uint16_t& key) {
  if (name.size() < 2 || name.size() > 4) return nullptr;
  unsigned padded = 0;
  for (char c : name) {
    if (c < '0' || c > '9') return nullptr;
    padded = padded * 10 + static_cast<unsigned>(c - '0');
  }
  for (size_t n = name.size(); n < 4; ++n) padded *= 10;
  key = static_cast<uint16_t>(padded);
  return FindGs1Ai(key, name.size());
}

// True when the AIs of the segments from `first` (every other one) follow
// one qualifier sequence of `key_row`, each at most once and in order.
bool QualifiersFollowASequence(const std::vector<std::string_view>& segments, size_t first,
                               const Gs1DlRow& key_row) {
  if (first == segments.size()) return true;
  for (size_t s = 0; s < key_row.sequence_count; ++s) {
    const Gs1DlSequence& sequence = Gs1DlSequenceAt(key_row.sequences_begin + s);
    size_t next = 0;  // the first position of the sequence still open
    bool follows = true;
    for (size_t i = first; i < segments.size() && follows; i += 2) {
      uint16_t key = 0;
      const Gs1Ai* ai = AiNamed(segments[i], key);
      follows = false;
      for (size_t at = next; ai != nullptr && at < sequence.count && !follows; ++at) {
        follows = sequence.keys[at] == key && sequence.digits[at] == segments[i].size();
        next = at + 1;
      }
    }
    if (follows) return true;
  }
  return false;
}

// The primary key and qualifiers of a URI path ("/stem.../01/x/10/y"): the
// first AI segment that is a primary key, followed by an odd number of
// segments whose AIs are its qualifiers in order.
int32_t ReadPath(std::string_view path, std::vector<UriElement>& out) {
  std::vector<std::string_view> segments;
  for (size_t at = 0; at < path.size();) {
    const size_t slash = path.find('/', at + 1);
    const size_t end = slash == path.npos ? path.size() : slash;
    segments.push_back(path.substr(at + 1, end - at - 1));
    at = end;
  }
  int32_t failure = kGs1DlNoPrimaryKey;
  for (size_t i = 0; i + 1 < segments.size(); ++i) {
    uint16_t key = 0;
    const Gs1Ai* ai = AiNamed(segments[i], key);
    if ((segments.size() - i) % 2 != 0 || ai == nullptr || !Gs1DlRowOf(*ai).primary_key) continue;
    if (!QualifiersFollowASequence(segments, i + 2, Gs1DlRowOf(*ai))) {
      failure = kGs1DlQualifierSequence;
      continue;
    }
    for (size_t j = i; j < segments.size(); j += 2) {
      const Gs1Ai* entry = AiNamed(segments[j], key);
      out.push_back({segments[j], segments[j + 1], entry, key});
    }
    return kOk;
  }
  return failure;
}

// The data attributes of a query string ("99=ABC&98=XYZ"); parameters
// without '=' or with a name that is not all digits are skipped.
int32_t ReadQuery(std::string_view query, std::vector<UriElement>& out) {
  while (!query.empty()) {
    const size_t amp = query.find('&');
    const std::string_view param = query.substr(0, amp);
    query = amp == query.npos ? std::string_view() : query.substr(amp + 1);
    const size_t eq = param.find('=');
    if (eq == param.npos || eq == 0) continue;
    const std::string_view name = param.substr(0, eq);
    if (name.find_first_not_of("0123456789") != name.npos) continue;
    uint16_t key = 0;
    const Gs1Ai* ai = AiNamed(name, key);
    if (ai == nullptr) return kGs1UnknownAi;
    if (!Gs1DlRowOf(*ai).attribute) return kGs1DlNotAttribute;
    out.push_back({name, param.substr(eq + 1), ai, key});
  }
  return kOk;
}

// Appends "(AI)data", the data percent-decoded with its parentheses escaped.
int32_t AppendElement(const UriElement& e, std::string& out) {
  out.push_back('(');
  out.append(e.ai).push_back(')');
  for (size_t i = 0; i < e.value.size(); ++i) {
    char c = e.value[i];
    if (c == '%') {
      const int high = i + 2 < e.value.size() ? HexValue(e.value[i + 1]) : -1;
      const int low = high < 0 ? -1 : HexValue(e.value[i + 2]);
      if (low < 0) return kGs1DlBadUri;
      c = static_cast<char>(high * 16 + low);
      i += 2;
    }
    if (c == '(' || c == ')') out.push_back('\\');
    out.push_back(c);
  }
  return kOk;
}

}  // namespace

int32_t ParseGs1DigitalLink(std::string_view uri, std::string& elements) {
  const size_t scheme = ReadSchemeLength(uri);
  if (scheme == 0 || !AllUriBytes(uri)) return kGs1DlBadUri;
  uri = uri.substr(0, uri.find('#'));  // a fragment is no part of the data
  const size_t query_at = uri.find('?');
  const std::string_view query = query_at == uri.npos ? std::string_view() : uri.substr(query_at + 1);
  uri = uri.substr(scheme, query_at == uri.npos ? uri.npos : query_at - scheme);
  const size_t path_at = uri.find('/');
  if (uri.empty() || path_at == 0) return kGs1DlBadUri;  // no host
  if (path_at == uri.npos) return kGs1DlNoPrimaryKey;
  std::vector<UriElement> found;
  if (int32_t rc = ReadPath(uri.substr(path_at), found)) return rc;
  if (int32_t rc = ReadQuery(query, found)) return rc;
  std::string value;
  for (size_t i = 0; i < found.size(); ++i) {
    for (size_t j = 0; j < i; ++j) {
      if (found[j].key == found[i].key && found[j].ai.size() == found[i].ai.size()) return kGs1DlRepeatedAi;
    }
    if (int32_t rc = AppendElement(found[i], value)) return rc;
  }
  Gs1Message m;
  if (int32_t rc = ParseGs1ElementStrings(value, m, kDlLimit)) return rc;
  elements.append(value);
  return kOk;
}

}  // namespace tavo
