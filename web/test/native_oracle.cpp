// The native library as an oracle for the WebAssembly tests: reads requests
// from standard input, one per line, and answers each on one line with the
// return code and the bytes the native entry point wrote, in hex.
//   T code check hexvalue        -> rc hexbytes   (BC_FontTranslate)
//   E code                       -> rc hexbytes   (BC_StrErr)
//   F code height caption        -> rc hexbytes   (BC_FontGetFaceName, prefix "TAVO ")
//   C code ch alt                -> valid hexbytes (BC_CharCheck)
//   B code check hexvalue calls  -> nanoseconds per BC_FontTranslate call
#include <chrono>
#include <cstdio>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "tavo32.h"

namespace {

std::string Hex(const char* p, int32_t n) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out;
  for (int32_t i = 0; i < n; ++i) {
    const auto b = static_cast<unsigned char>(p[i]);
    out.push_back(kHex[b >> 4]);
    out.push_back(kHex[b & 15]);
  }
  return out.empty() ? "-" : out;
}

std::string Unhex(const std::string& hex) {
  std::string out;
  if (hex == "-") return out;
  for (size_t i = 0; i + 1 < hex.size(); i += 2) {
    out.push_back(static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
  }
  return out;
}

}  // namespace

int main() {
  std::vector<char> buf(1 << 20);
  const auto cap = static_cast<int32_t>(buf.size());
  std::string line;
  while (std::getline(std::cin, line)) {
    std::istringstream in(line);
    std::string op;
    in >> op;
    int32_t len = 0;
    if (op == "T" || op == "B") {
      int32_t code = 0, check = 0;
      std::string hex;
      long calls = 0;
      in >> code >> check >> hex >> calls;
      const std::string value = Unhex(hex);
      if (op == "T") {
        const int32_t rc = BC_FontTranslate(code, value.c_str(), check, buf.data(), cap, &len);
        std::printf("%d %s\n", rc, Hex(buf.data(), rc ? 0 : len).c_str());
      } else {
        const auto start = std::chrono::steady_clock::now();
        int32_t sink = 0;
        for (long i = 0; i < calls; ++i) {
          sink += BC_FontTranslate(code, value.c_str(), check, buf.data(), cap, &len) + len;
        }
        const std::chrono::duration<double, std::nano> took = std::chrono::steady_clock::now() - start;
        std::printf("%.1f %d\n", took.count() / static_cast<double>(calls), sink & 1);
      }
    } else if (op == "E") {
      int32_t code = 0;
      in >> code;
      std::vector<char> text(256, 0);
      const int32_t rc = BC_StrErr(code, text.data(), static_cast<int32_t>(text.size()));
      std::printf("%d %s\n", rc, Hex(text.data(), static_cast<int32_t>(std::string(text.data()).size())).c_str());
    } else if (op == "F") {
      int32_t code = 0, height = 0, caption = 0;
      in >> code >> height >> caption;
      const int32_t rc = BC_FontGetFaceName("TAVO ", code, height, caption, buf.data(), cap, &len);
      std::printf("%d %s\n", rc, Hex(buf.data(), rc ? 0 : len).c_str());
    } else if (op == "C") {
      int32_t code = 0, ch = 0, alt = 0;
      in >> code >> ch >> alt;
      const int32_t valid = BC_CharCheck(code, ch, alt, buf.data(), cap, &len);
      std::printf("%d %s\n", valid, Hex(buf.data(), valid ? len : 0).c_str());
    } else {
      std::printf("? unknown request\n");
    }
    std::fflush(stdout);
  }
  return 0;
}
