// Aztec Code's bit stream read back to data: the five character modes with
// their latches and shifts, binary shifts and FLG(n) (ISO/IEC 24778:2008,
// 7.3).  Trailing bits too few for a whole code are the last codeword's
// padding.
#include "readers/aztec/aztec_reader.h"

namespace tavo {
namespace {

class BitReader {
 public:
  explicit BitReader(const std::vector<uint8_t>& bits) : bits_(bits) {}
  bool Has(size_t count) const { return bits_.size() - at_ >= count; }
  uint32_t Read(int count) {
    uint32_t v = 0;
    for (int i = 0; i < count; ++i) v = v << 1 | bits_[at_++];
    return v;
  }

 private:
  const std::vector<uint8_t>& bits_;
  size_t at_ = 0;
};

// The mode a control code of `mode` switches to, and whether it latches;
// -1 for a code that is a character.  Binary shift is reported apart.
struct Control {
  int to = -1;
  bool latch = false;
};
Control ControlOf(int mode, uint32_t code) {
  if (mode != kAztecPunct && code == kAztecPunctShift) return {kAztecPunct, false};
  if (mode == kAztecPunct) return code == 31 ? Control{kAztecUpper, true} : Control{};
  if (mode == kAztecDigit) {
    if (code == 14) return {kAztecUpper, true};
    if (code == 15) return {kAztecUpper, false};
    return {};
  }
  if (mode == kAztecLower && code == kAztecUpperShiftLower) return {kAztecUpper, false};
  for (int to = 0; to < kAztecModes; ++to) {
    if (kAztecLatch[mode][to] == static_cast<int>(code)) return {to, true};
  }
  return {};
}

// B/S: the length, then the bytes.
bool ReadBinary(BitReader& in, std::string& data) {
  if (!in.Has(5)) return true;
  uint32_t length = in.Read(5);
  if (length == 0) {
    if (!in.Has(11)) return true;
    length = in.Read(11) + 31;
  }
  for (uint32_t k = 0; k < length; ++k) {
    if (!in.Has(8)) return false;
    data.push_back(static_cast<char>(in.Read(8)));
  }
  return true;
}

// FLG(n) after P/S or in Punct: FNC1 (n = 0) or an ECI of n digits.
bool ReadFlg(BitReader& in, AztecReading& r) {
  if (!in.Has(3)) return true;
  const uint32_t n = in.Read(3);
  if (n == 7) return false;
  if (n == 0) {
    if (r.data.empty()) {
      r.gs1 = true;
    } else {
      r.data.push_back('\x1D');
    }
    return true;
  }
  int32_t eci = 0;
  for (uint32_t k = 0; k < n; ++k) {
    if (!in.Has(4)) return false;
    const uint32_t d = in.Read(4);
    if (d < 2 || d > 11) return false;
    eci = eci * 10 + static_cast<int32_t>(d - 2);
  }
  r.eci = eci;
  return true;
}

}  // namespace

bool AztecDecodation(const std::vector<uint8_t>& bits, AztecReading& r) {
  BitReader in(bits);
  int latched = kAztecUpper, mode = kAztecUpper;
  while (in.Has(static_cast<size_t>(AztecCodeBits(mode)))) {
    const uint32_t code = in.Read(AztecCodeBits(mode));
    if (mode != kAztecDigit && mode != kAztecPunct && code == kAztecBinaryShift) {
      if (!ReadBinary(in, r.data)) return false;
      mode = latched;
      continue;
    }
    if (mode == kAztecPunct && code == kAztecFlg) {
      if (!ReadFlg(in, r)) return false;
      mode = latched;
      continue;
    }
    const Control control = ControlOf(mode, code);
    if (control.to >= 0) {
      if (control.latch) latched = control.to;
      mode = control.to;
      continue;
    }
    if (mode == kAztecPunct && code >= kAztecFirstPunctPair && code < kAztecFirstPunctPair + 4) {
      r.data += kAztecPunctPairs[code - kAztecFirstPunctPair];
    } else {
      r.data.push_back(kAztecChars[mode][code]);
    }
    mode = latched;
  }
  return true;
}

}  // namespace tavo
