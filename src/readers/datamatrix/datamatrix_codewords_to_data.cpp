// Data Matrix ECC 200 decodation: data codewords back to the bytes they
// carry, for `tavo decode` and the tests.  Every read is bounds-checked; a
// malformed stream ends the reading with false.
#include "readers/datamatrix/datamatrix_reader.h"

namespace tavo {
namespace {

class Decodation {
 public:
  Decodation(const std::vector<uint8_t>& cw, DataMatrixReading& reading)
      : codewords_(cw), end_(cw.size()), reading_(reading) {}

  bool Run() {
    while (at_ < end_) {
      const uint8_t c = codewords_[at_++];
      bool ok = true;
      if (c >= 1 && c <= 128) {
        Put(c - 1);
      } else if (c == 129) {
        reading_.codewords_used = static_cast<int32_t>(at_ - 1);
        return true;  // padding: the data has ended
      } else if (c <= 229) {
        Put('0' + (c - 130) / 10);
        Put('0' + (c - 130) % 10);
      } else if (c == 230 || c == 239) {
        ok = Triples(c == 239 ? kText : kC40);
      } else if (c == 238) {
        ok = Triples(kX12);
      } else if (c == 240) {
        ok = Edifact();
      } else if (c == 231) {
        ok = Base256();
      } else if (c == 232) {
        Fnc1();
      } else if (c == 235) {
        upper_ = true;
      } else if (c == 236 || c == 237) {
        ok = at_ == 1 || (at_ == 2 && reading_.gs1);
        reading_.data.append(c == 236 ? "[)>\x1E" "05\x1D" : "[)>\x1E" "06\x1D");
        trailer_ = true;
      } else if (c == 241) {
        ok = Eci();
      } else {
        ok = false;  // structured append, reader programming, 0, 242..255
      }
      if (!ok) return false;
    }
    if (trailer_) reading_.data.append("\x1E\x04");
    reading_.codewords_used = static_cast<int32_t>(end_);
    return true;
  }

 private:
  enum Set { kC40, kText, kX12 };

  void Put(int byte) {
    reading_.data.push_back(static_cast<char>(upper_ ? byte + 128 : byte));
    upper_ = false;
  }
  void Fnc1() {
    if (at_ == 1) {
      reading_.gs1 = true;
    } else {
      reading_.data.push_back(kGroupSeparator);
    }
  }

  // C40, Text and X12: pairs of codewords carrying three values each, until
  // an unlatch or the end of the data.
  bool Triples(Set set) {
    int shift = 0;
    while (at_ + 1 < end_) {
      if (codewords_[at_] == 254) {
        ++at_;
        return true;
      }
      const int packed = codewords_[at_] * 256 + codewords_[at_ + 1] - 1;
      at_ += 2;
      if (packed < 0 || packed >= 64000) return false;
      const int values[3] = {packed / 1600, (packed / 40) % 40, packed % 40};
      for (int v : values) {
        if (!TripleValue(set, v, shift)) return false;
      }
    }
    if (at_ < end_ && codewords_[at_] == 254) ++at_;  // one codeword left: ASCII
    return shift == 0 || shift == 1;           // a last pair may end on shift 1
  }

  bool TripleValue(Set set, int v, int& shift) {
    if (set == kX12) {
      static constexpr char kX12Low[4] = {'\r', '*', '>', ' '};
      if (v < 4) {
        Put(kX12Low[v]);
      } else if (v < 14) {
        Put('0' + v - 4);
      } else {
        Put('A' + v - 14);
      }
      return true;
    }
    const int s = shift;
    shift = 0;
    if (s == 0) {
      if (v < 3) {
        shift = v + 1;
      } else if (v == 3) {
        Put(' ');
      } else if (v < 14) {
        Put('0' + v - 4);
      } else {
        Put((set == kText ? 'a' : 'A') + v - 14);
      }
    } else if (s == 1) {
      Put(v);
    } else if (s == 2) {
      if (v < 15) {
        Put('!' + v);
      } else if (v < 22) {
        Put(':' + v - 15);
      } else if (v < 27) {
        Put('[' + v - 22);
      } else if (v == 27) {
        Fnc1();
      } else if (v == 30) {
        upper_ = true;
      } else {
        return false;
      }
    } else {
      if (v == 0) {
        Put('`');
      } else if (v < 27) {
        Put((set == kText ? 'A' : 'a') + v - 1);
      } else {
        Put('{' + v - 27);
      }
    }
    return true;
  }

  // EDIFACT: groups of three codewords carrying four 6-bit values; a reader
  // returns to ASCII on the unlatch value, or unasked when fewer than three
  // codewords remain.
  bool Edifact() {
    while (at_ + 2 < end_) {
      const uint32_t bits = codewords_[at_] << 16 | codewords_[at_ + 1] << 8 | codewords_[at_ + 2];
      for (int k = 0; k < 4; ++k) {
        const int v = (bits >> (18 - 6 * k)) & 0x3F;
        if (v == 31) {
          at_ += (6 * (k + 1) + 7) / 8;
          return true;
        }
        Put(v < 32 ? v + 64 : v);
      }
      at_ += 3;
    }
    return true;
  }

  // An ECI designator: 1 to 3 codewords; the bytes after it are kept as
  // they are and the number reported.
  bool Eci() {
    if (at_ >= end_) return false;
    const int c1 = codewords_[at_++];
    if (c1 <= 127) {
      reading_.eci = c1 - 1;
      return c1 >= 1;
    }
    if (at_ >= end_) return false;
    const int c2 = codewords_[at_++];
    if (c1 <= 191) {
      reading_.eci = (c1 - 128) * 254 + (c2 - 1) + 127;
      return true;
    }
    if (at_ >= end_) return false;
    const int c3 = codewords_[at_++];
    reading_.eci = (c1 - 192) * 64516 + (c2 - 1) * 254 + (c3 - 1) + 16383;
    return true;
  }

  uint8_t Unrandomise(size_t pos) const {
    const int pseudo = ((149 * static_cast<int>(pos + 1)) % 255) + 1;
    const int v = codewords_[pos] - pseudo;
    return static_cast<uint8_t>(v >= 0 ? v : v + 256);
  }

  bool Base256() {
    if (at_ >= end_) return false;
    size_t length = Unrandomise(at_++);
    if (length == 0) {
      length = end_ - at_;
    } else if (length >= 250) {
      if (at_ >= end_) return false;
      length = 250 * (length - 249) + Unrandomise(at_++);
    }
    if (length > end_ - at_) return false;
    for (size_t i = 0; i < length; ++i, ++at_) Put(Unrandomise(at_));
    return true;
  }

  const std::vector<uint8_t>& codewords_;
  size_t at_ = 0;
  size_t end_;
  DataMatrixReading& reading_;
  bool upper_ = false;
  bool trailer_ = false;
};

}  // namespace

bool DataMatrixDecodation(const std::vector<uint8_t>& data_codewords, DataMatrixReading& reading) {
  return Decodation(data_codewords, reading).Run();
}

}  // namespace tavo
