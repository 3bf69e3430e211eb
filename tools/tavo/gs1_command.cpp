// tavo gs1 hri | check-digit | dl | parse-dl, over the library's exports.
#include "gs1_command.h"

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "tavo32.h"

namespace tavo::gs1cmd {

const char kGs1Usage[] =
    "  tavo gs1 hri VALUE | check-digit KEY [--verify] | dl VALUE [--domain D] | parse-dl URI\n"
    "                               GS1 helpers: the human-readable text of element\n"
    "                               strings ((AI) or [AI] form), the check digit of a key\n"
    "                               (--verify: KEY ends in it), the GS1 Digital Link URI\n"
    "                               of element strings, and the element strings of a URI\n";

namespace {

int UsageFault(std::string_view why) {
  std::fprintf(stderr, "tavo: gs1: %.*s\nusage:\n%s", static_cast<int>(why.size()), why.data(), kGs1Usage);
  return 2;
}

int LibraryFault(std::string_view what, std::string_view input, int32_t code) {
  char message[128] = {};
  BC_StrErr(code, message, sizeof message - 1);  // the last byte stays the terminator
  std::fprintf(stderr, "tavo: gs1 %.*s \"%.*s\": %d %s\n", static_cast<int>(what.size()), what.data(),
               static_cast<int>(input.size()), input.data(), code, message);
  return 1;
}

// Calls an export that writes text into a buffer, growing the buffer while
// the answer does not fit; prints the text and a newline.
using TextCall = std::function<int32_t(char*, int32_t, int32_t*)>;
int PrintText(std::string_view what, std::string_view input, const TextCall& call) {
  std::vector<char> buf(256);
  for (;;) {
    int32_t len = 0;
    const int32_t rc = call(buf.data(), static_cast<int32_t>(buf.size()), &len);
    if (rc == BC_FONT_ERR_TOO_MANY_CHARACTERS && buf.size() < (size_t{1} << 26)) {
      buf.resize(buf.size() * 4);
      continue;
    }
    if (rc) return LibraryFault(what, input, rc);
    std::fwrite(buf.data(), 1, static_cast<size_t>(len), stdout);
    std::fputc('\n', stdout);
    return 0;
  }
}

int CheckDigit(const std::string& key, bool verify) {
  int32_t digit = -1;
  if (int32_t rc = BC_GS1CheckDigit(key.c_str(), verify ? 1 : 0, &digit)) {
    return LibraryFault("check-digit", key, rc);
  }
  if (verify) {
    std::printf("valid\n");
  } else {
    std::printf("%d\n", digit);
  }
  return 0;
}

// The positional arguments and the flags of a subcommand: --verify alone,
// --domain with a value.
struct Gs1Args {
  std::vector<std::string> positional;
  bool verify = false;
  bool has_domain = false;
  std::string domain;
};

// Reads the arguments after the subcommand; "" or the fault.
std::string ReadArgs(int argc, char** argv, Gs1Args& args) {
  for (int i = 3; i < argc; ++i) {
    const std::string_view a = argv[i];
    if (a == "--verify") {
      args.verify = true;
    } else if (a == "--domain") {
      if (++i == argc) return "--domain takes a value";
      args.has_domain = true;
      args.domain = argv[i];
    } else if (a.size() > 2 && a.starts_with("--")) {
      return "unknown option " + std::string(a);
    } else {
      args.positional.emplace_back(a);
    }
  }
  return {};
}

}  // namespace

int RunGs1Command(int argc, char** argv) {
  if (argc < 3) return UsageFault("which helper: hri, check-digit, dl or parse-dl");
  const std::string_view sub = argv[2];
  Gs1Args args;
  if (std::string fault = ReadArgs(argc, argv, args); !fault.empty()) return UsageFault(fault);
  if (args.positional.size() != 1) return UsageFault(std::string(sub) + " takes one argument");
  const std::string& input = args.positional[0];
  if ((args.verify && sub != "check-digit") || (args.has_domain && sub != "dl")) {
    return UsageFault("option not taken by " + std::string(sub));
  }
  if (sub == "hri") {
    return PrintText(sub, input, [&](char* b, int32_t c, int32_t* l) { return BC_GS1HumanReadable(input.c_str(), b, c, l); });
  }
  if (sub == "check-digit") return CheckDigit(input, args.verify);
  if (sub == "dl") {
    return PrintText(sub, input, [&](char* b, int32_t c, int32_t* l) {
      return BC_GS1DigitalLink(input.c_str(), args.domain.c_str(), b, c, l);
    });
  }
  if (sub == "parse-dl") {
    return PrintText(sub, input, [&](char* b, int32_t c, int32_t* l) { return BC_GS1FromDigitalLink(input.c_str(), b, c, l); });
  }
  return UsageFault("unknown helper " + std::string(sub) + " (hri, check-digit, dl, parse-dl)");
}

}  // namespace tavo::gs1cmd
