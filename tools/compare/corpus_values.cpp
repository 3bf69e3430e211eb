// The values of the comparison corpus: the same list for every symbology
// code, so each code meets values shaped for itself (valid, and one
// character or one check digit away from valid) and every other code's
// values.  Generated from a fixed seed: the list never changes between runs.
#include <cstdint>
#include <string>
#include <vector>

namespace {

// splitmix64: small, fixed, and the same on every compiler.
class Random {
 public:
  uint64_t Next() {
    uint64_t z = (state_ += 0x9e3779b97f4a7c15ULL);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
  }
  size_t Below(size_t n) { return static_cast<size_t>(Next() % n); }
  std::string From(const std::string& alphabet, size_t length) {
    std::string s;
    for (size_t i = 0; i < length; ++i) s += alphabet[Below(alphabet.size())];
    return s;
  }
  std::string Digits(size_t length) { return From("0123456789", length); }

 private:
  uint64_t state_ = 20261207;
};

// Mostly short, some long, a few near and past the 2D symbols' capacity.
size_t RandomLength(Random& r) {
  switch (r.Below(10)) {
    case 0: return r.Below(300);
    case 1: return r.Below(10) == 0 ? 1000 + r.Below(3200) : r.Below(120);
    default: return r.Below(32);
  }
}

// The GS1 modulo-10 check digit of the digits in `s`.
char Mod10(const std::string& s) {
  int sum = 0;
  for (size_t i = 0; i < s.size(); ++i) {
    int d = s[s.size() - 1 - i] - '0';
    sum += i % 2 == 0 ? 3 * d : d;
  }
  return static_cast<char>('0' + (10 - sum % 10) % 10);
}

std::string Bytes(int from, int to) {
  std::string s;
  for (int c = from; c <= to; ++c) s += static_cast<char>(c);
  return s;
}

void AddFixed(std::vector<std::string>& v) {
  for (const char* s :
       {"", " ", "0", "1", "9", "A", "a", "*", "-", "+", "$", "%", "/", ".", ":", "(", ")", "\\",
        "12345", "ABC-123", "HELLO WORLD", "hello world", "A1234B", "a1234d", "0123456789",
        "*ABC*", "A123A", "01234567", "123456", "Wikipedia", "http://example.com/a?b=c&d",
        "(01)", "()", "(01)1", "(01)09501101530003", "(01)09501101530003(10)AB12",
        "(01)09501101530008", "(00)106141411234567897", "(17)261231(10)ABC(21)123",
        "(3103)001234", "(422)840", "(422)999", "(8200)http://example.com", "(999)12",
        "(01)09501101530003(01)09501101530003", "(10)AB\\(C\\)", "(10)%41", "(17)261332",
        "(01)09501101530003)", "((01)09501101530003", "(21)ABCDEFGHIJKLMNOPQRSTU",
        "0123456789012", "012345678905", "01234565", "0123456", "12345670", "01234505",
        "11234505", "21234505", "4006381333931", "4006381333932", "9780201379624",
        "96385074", "96385075", "03600029145", "036000291452", "036000291453",
        "0123456789012+12", "012345678905 12345", "4006381333931+54321", "9780201379624 90000",
        "12345-6789", "123456789", "12345678901", "1234", "1234567890",
        "01234567094987654321", "0123456709498765432101234567891", "01234567094987654321-01234",
        "01234567094987654321 012345678", "0153456709498765432101234567891",
        "01234 567094987654321", "0123456709498765432", "0123456709498765432101"}) {
    v.emplace_back(s);
  }
  v.push_back(Bytes(1, 127));
  v.push_back(Bytes(128, 255));
  v.push_back(Bytes(32, 126));
  v.push_back(std::string("\xb9" "01" "\xb2\xb3\xbc" "ab" "\xc7", 9));
}

// Digit strings of every length up to 40, and some long ones up to past the
// QR Code's numeric capacity (7089).
void AddDigits(std::vector<std::string>& v, Random& r) {
  for (size_t n = 0; n <= 40; ++n) v.push_back(r.Digits(n));
  for (size_t n : {50, 80, 99, 100, 101, 200, 500, 1000, 1555, 2335, 3116, 3117, 7089, 7090}) {
    v.push_back(r.Digits(n));
  }
}

// Keys with their check digit right and wrong, for every GTIN length and
// the UPC-E forms.
void AddKeys(std::vector<std::string>& v, Random& r) {
  for (int i = 0; i < 12; ++i) {
    for (size_t n : {7, 11, 12, 13, 17}) {
      std::string body = r.Digits(n);
      char check = Mod10(body);
      v.push_back(body);
      v.push_back(body + check);
      v.push_back(body + static_cast<char>('0' + (check - '0' + 1) % 10));
    }
    std::string e = std::string(1, "01"[i % 2]) + r.Digits(6);
    v.push_back(e);
    v.push_back(e + r.Digits(1));
    v.push_back(r.Digits(12) + (i % 2 ? "+" : " ") + r.Digits(i % 3 == 0 ? 5 : 2));
  }
}

// UPC-E bodies with each of the ten check digits (one of them right), and
// Intelligent Mail tracking codes (second digit 0 to 4) with routing codes
// of each allowed length, separated as callers write them.
void AddUpcEAndImb(std::vector<std::string>& v, Random& r) {
  for (int i = 0; i < 6; ++i) {
    const std::string body = std::string(1, "01"[i % 2]) + r.Digits(6);
    for (char check = '0'; check <= '9'; ++check) v.push_back(body + check);
  }
  static const char* const kSeparators[] = {"", "-", " ", " - "};
  for (int i = 0; i < 24; ++i) {
    std::string tracking = r.Digits(1) + static_cast<char>('0' + i % 5) + r.Digits(18);
    static constexpr size_t kRoutingLengths[] = {0, 5, 9, 11};
    std::string routing = r.Digits(kRoutingLengths[i % 4]);
    if (routing.size() == 9 && i % 3 == 0) routing.insert(5, "-");
    v.push_back(tracking + kSeparators[i % 4] + routing);
  }
}

std::string RandomAi(Random& r) {
  static const char* const kAis[] = {"00", "01", "02", "10", "11", "15", "17", "21", "30",
                                     "37", "240", "241", "250", "310", "3103", "3922", "400",
                                     "410", "414", "420", "421", "422", "7003", "8004", "8200",
                                     "90", "91", "99", "12", "23", "703"};
  return kAis[r.Below(sizeof kAis / sizeof kAis[0])];
}

// GS1 element strings: well-formed keys and dates, and random AIs with
// random data, most of which some check rejects.
void AddElementStrings(std::vector<std::string>& v, Random& r) {
  for (int i = 0; i < 60; ++i) {
    std::string gtin = r.Digits(13);
    std::string s = "(01)" + gtin + Mod10(gtin);
    if (i % 2) s += "(17)" + std::to_string(20 + i % 10) + "0" + std::to_string(1 + i % 9) + "15";
    if (i % 3) s += "(10)" + r.From("ABCDEFGHIJ0123456789-", 1 + r.Below(20));
    if (i % 5 == 0) s += "(21)" + r.From("abcXYZ0189!%&'*+,-./:;<=>?_\"", 1 + r.Below(20));
    v.push_back(s);
    std::string loose;
    for (size_t k = 1 + r.Below(4); k > 0; --k) {
      loose += "(" + RandomAi(r) + ")" + r.From("0123456789ABC", 1 + r.Below(20));
    }
    v.push_back(loose);
  }
}

// Random strings over the alphabets the symbologies take.
void AddRandom(std::vector<std::string>& v, Random& r) {
  const std::string alphabets[] = {
      "0123456789",
      "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%",
      "0123456789-$:/.+ABCD",
      "0123456789- ",
      "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz",
      Bytes(32, 126),
      Bytes(1, 127),
      Bytes(1, 255),
      "0123456789\xb9\xb2\xb3\xbc\xc7",
      "0123456789()",
  };
  for (int i = 0; i < 42; ++i) {
    for (const std::string& alphabet : alphabets) v.push_back(r.From(alphabet, RandomLength(r)));
  }
}

}  // namespace

std::vector<std::string> CorpusValues() {
  Random r;
  std::vector<std::string> v;
  AddFixed(v);
  AddDigits(v, r);
  AddKeys(v, r);
  AddUpcEAndImb(v, r);
  AddElementStrings(v, r);
  AddRandom(v, r);
  return v;
}
