// The corpus driver of scripts/compare-outputs.sh: loads one build's
// libtavo32.so, calls its exports over a fixed, generated corpus and writes
// every answer (return code, length, bytes, whether the buffer past the
// answer was left alone) to a dump, one line per call.  The same program runs
// against both builds, so any difference between the two dumps is a
// difference in what the library gives its callers.
//
//   corpus LIBRARY DUMP CODE...
//
// Prints one line per area and symbology code, "NAME CALLS DIGEST", where the
// digest is FNV-1a (64 bit) over that area's dump lines.  Exit status 2 when
// the library or one of its first exports cannot be loaded.
#include <dlfcn.h>

#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "tavo32.h"

namespace {

// The exports by name; the later ones may be absent from an older build.
struct Exports {
  decltype(&BC_FontTranslate) translate = nullptr;
  decltype(&BC_StrErr) str_err = nullptr;
  decltype(&BC_FontGetFaceName) face_name = nullptr;
  decltype(&BC_CharCheck) char_check = nullptr;
  decltype(&BC_GS1HumanReadable) gs1_human = nullptr;
  decltype(&BC_GS1CheckDigit) gs1_check_digit = nullptr;
  std::vector<std::pair<const char*, int32_t (*)()>> constants;
};

template <typename F>
F Symbol(void* lib, const char* name) {
  return reinterpret_cast<F>(dlsym(lib, name));
}

bool LoadExports(void* lib, Exports& e) {
  e.translate = Symbol<decltype(e.translate)>(lib, "BC_FontTranslate");
  e.str_err = Symbol<decltype(e.str_err)>(lib, "BC_StrErr");
  e.face_name = Symbol<decltype(e.face_name)>(lib, "BC_FontGetFaceName");
  e.char_check = Symbol<decltype(e.char_check)>(lib, "BC_CharCheck");
  e.gs1_human = Symbol<decltype(e.gs1_human)>(lib, "BC_GS1HumanReadable");
  e.gs1_check_digit = Symbol<decltype(e.gs1_check_digit)>(lib, "BC_GS1CheckDigit");
  for (const char* name : {"BC_FontGetVer", "TAVO_VersionMajor", "TAVO_VersionMinor",
                           "TAVO_VersionRevision", "BC_Font_ERR_INCOMPLETE_UPCA",
                           "BC_Font_ERR_INCOMPLETE_UPCE", "BC_Font_ERR_INCOMPLETE_EANJAN_8",
                           "BC_Font_ERR_INCOMPLETE_EANJAN_13", "BC_Font_ERR_INCOMPLETE_POSTNET"}) {
    e.constants.emplace_back(name, Symbol<int32_t (*)()>(lib, name));
  }
  return e.translate && e.str_err && e.face_name && e.char_check;
}

// One area of the dump: its lines go to the file and into its digest.
class Area {
 public:
  Area(std::FILE* dump, std::string name) : dump_(dump), name_(std::move(name)) {}
  ~Area() { std::printf("%-22s %8ld %016llx\n", name_.c_str(), calls_, digest_); }
  Area(const Area&) = delete;
  Area& operator=(const Area&) = delete;

  void Line(const std::string& text) {
    std::fprintf(dump_, "%s %s\n", name_.c_str(), text.c_str());
    for (unsigned char c : text + "\n") digest_ = (digest_ ^ c) * 0x100000001b3ULL;
    ++calls_;
  }

 private:
  std::FILE* dump_;
  std::string name_;
  unsigned long long digest_ = 0xcbf29ce484222325ULL;
  long calls_ = 0;
};

// Bytes as printable ASCII with \xHH for the rest (and for '\' and ' ').
std::string Escape(const char* data, size_t n) {
  std::string out;
  char hex[5];
  for (size_t i = 0; i < n; ++i) {
    auto c = static_cast<unsigned char>(data[i]);
    if (c > 32 && c < 127 && c != '\\') {
      out += static_cast<char>(c);
    } else {
      std::snprintf(hex, sizeof hex, "\\x%02x", c);
      out += hex;
    }
  }
  return out;
}

// A value as a dump line shows it: its first 24 bytes, escaped, and the
// length of a longer one.
std::string Shown(const std::string& value) {
  constexpr size_t kShown = 24;
  if (value.size() <= kShown) return "'" + Escape(value.data(), value.size()) + "'";
  return "'" + Escape(value.data(), kShown) + "'..(" + std::to_string(value.size()) + ")";
}

constexpr char kFill = '\xa5';     // what the buffer holds before each call
constexpr int32_t kNoLength = -7;  // what the length variable holds before

// A call's output buffer: the answer, and whether every byte after it (and,
// on error, every byte) kept the fill.
struct Output {
  std::vector<char> buf;
  int32_t len = kNoLength;
  explicit Output(size_t cap) : buf(cap + 16, kFill) {}
  char* data() { return buf.data(); }
  std::string Describe(int32_t rc, bool wrote) const {
    size_t n = wrote && len >= 0 && static_cast<size_t>(len) <= buf.size() ? len : 0;
    bool untouched = true;
    for (size_t i = n; i < buf.size(); ++i) untouched = untouched && buf[i] == kFill;
    return "rc=" + std::to_string(rc) + " len=" + std::to_string(len) +
           (untouched ? " rest=kept " : " rest=WRITTEN ") + Escape(buf.data(), n);
  }
};

}  // namespace

// The generated values (corpus_values.cpp).
std::vector<std::string> CorpusValues();

namespace {

// Every value at every check argument; every seventh value also with a
// buffer one byte too short for its answer, and once with a null value.
void Translations(const Exports& e, std::FILE* dump, int32_t code,
                  const std::vector<std::string>& values) {
  static constexpr int32_t kChecks[] = {0, 1, 2, 3, 4, 5, -1, 6, 255, INT_MAX, INT_MIN};
  Area area(dump, "translate " + std::to_string(code));
  constexpr int32_t kCap = 8192;
  for (size_t v = 0; v < values.size(); ++v) {
    // Six checks for every value, and one of the odd ones in turn.
    for (size_t c = 0; c < 7; ++c) {
      int32_t check = c < 6 ? kChecks[c] : kChecks[6 + v % 5];
      Output out(kCap);
      int32_t rc = e.translate(code, values[v].c_str(), check, out.data(), kCap, &out.len);
      std::string head = std::to_string(v) + " " + Shown(values[v]) + " " + std::to_string(check) + " ";
      area.Line(head + out.Describe(rc, rc == 0));
      if (rc == 0 && v % 7 == 0 && out.len > 0) {
        Output tight(0);
        int32_t rc2 = e.translate(code, values[v].c_str(), check, tight.data(), out.len - 1,
                                  &tight.len);
        area.Line(head + "tight " + tight.Describe(rc2, rc2 == 0));
      }
    }
  }
  Output null_value(kCap);
  int32_t rc = e.translate(code, nullptr, 0, null_value.data(), kCap, &null_value.len);
  area.Line("null " + null_value.Describe(rc, rc == 0));
  Output null_buffer(0);
  rc = e.translate(code, "1234567", 0, nullptr, kCap, nullptr);
  area.Line("nullbuf rc=" + std::to_string(rc));
}

void FaceNames(const Exports& e, std::FILE* dump, const std::vector<int32_t>& codes) {
  Area area(dump, "face");
  const char* prefixes[] = {nullptr, "", "TAVO ", "A much longer prefix of forty characters "};
  for (int32_t code : codes) {
    for (const char* prefix : prefixes) {
      for (int32_t height = -1; height <= 3; ++height) {
        for (int32_t caption : {-1, 0, 1, 2}) {
          for (int32_t cap : {256, 8, 0}) {
            Output out(cap);
            int32_t rc = e.face_name(prefix, code, height, caption, out.data(), cap, &out.len);
            area.Line(std::to_string(code) + " " + (prefix ? Escape(prefix, std::strlen(prefix)) : "null") +
                      " " + std::to_string(height) + " " + std::to_string(caption) + " " +
                      std::to_string(cap) + " " + out.Describe(rc, rc == 0));
          }
        }
      }
    }
  }
}

void CharChecks(const Exports& e, std::FILE* dump, const std::vector<int32_t>& codes) {
  Area area(dump, "charcheck");
  for (int32_t code : codes) {
    for (int32_t ch = -2; ch <= 257; ++ch) {
      for (int32_t alt : {0, 1, 7}) {
        for (int32_t cap : {64, 3}) {
          Output out(cap);
          int32_t rc = e.char_check(code, ch, alt, out.data(), cap, &out.len);
          area.Line(std::to_string(code) + " " + std::to_string(ch) + " " + std::to_string(alt) +
                    " " + std::to_string(cap) + " " + out.Describe(rc, rc == 1));
        }
      }
    }
  }
}

void Messages(const Exports& e, std::FILE* dump) {
  Area area(dump, "strerr");
  std::vector<int32_t> codes = {INT_MIN, -1, 1, 100, 32499, 65535, INT_MAX};
  for (int32_t code = 0; code < 1; ++code) codes.push_back(code);
  for (int32_t code = 32500; code <= 32600; ++code) codes.push_back(code);
  for (int32_t code : codes) {
    for (int32_t cap : {111, 200, 40, 38, 10, 0, -1}) {
      Output out(cap < 0 ? 0 : cap);
      int32_t rc = e.str_err(code, out.data(), cap);
      out.len = 0;
      // The message has no length: the dump keeps the whole buffer.
      area.Line(std::to_string(code) + " " + std::to_string(cap) + " rc=" + std::to_string(rc) +
                " " + Escape(out.buf.data(), out.buf.size()));
    }
  }
}

void Constants(const Exports& e, std::FILE* dump) {
  Area area(dump, "constants");
  for (const auto& [name, fn] : e.constants) {
    area.Line(std::string(name) + (fn ? " " + std::to_string(fn()) : " absent"));
  }
}

void Gs1Exports(const Exports& e, std::FILE* dump, const std::vector<std::string>& values) {
  Area area(dump, "gs1");
  if (!e.gs1_human || !e.gs1_check_digit) {
    area.Line("absent");
    return;
  }
  for (size_t v = 0; v < values.size(); ++v) {
    for (int32_t cap : {4096, 12}) {
      Output out(cap);
      int32_t rc = e.gs1_human(values[v].c_str(), out.data(), cap, &out.len);
      area.Line("human " + std::to_string(v) + " " + std::to_string(cap) + " " +
                out.Describe(rc, rc == 0));
    }
    for (int32_t verify : {0, 1}) {
      int32_t digit = -9;
      int32_t rc = e.gs1_check_digit(values[v].c_str(), verify, &digit);
      area.Line("digit " + std::to_string(v) + " " + std::to_string(verify) + " rc=" +
                std::to_string(rc) + " " + std::to_string(digit));
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: corpus LIBRARY DUMP CODE...\n");
    return 2;
  }
  void* lib = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
  Exports e;
  if (!lib || !LoadExports(lib, e)) {
    std::fprintf(stderr, "corpus: cannot load the exports of %s: %s\n", argv[1],
                 lib ? "missing symbol" : dlerror());
    return 2;
  }
  std::FILE* dump = std::fopen(argv[2], "wb");
  if (!dump) {
    std::fprintf(stderr, "corpus: cannot write %s\n", argv[2]);
    return 2;
  }
  std::vector<int32_t> codes;
  for (int i = 3; i < argc; ++i) codes.push_back(static_cast<int32_t>(std::strtol(argv[i], nullptr, 10)));
  const std::vector<std::string> values = CorpusValues();
  for (int32_t code : codes) Translations(e, dump, code, values);
  FaceNames(e, dump, codes);
  CharChecks(e, dump, codes);
  Messages(e, dump);
  Constants(e, dump);
  Gs1Exports(e, dump, values);
  bool ok = std::fclose(dump) == 0;
  return ok ? 0 : 2;
}
