// What the fuzz targets share: an output buffer whose end touches a
// PROT_NONE guard page, so any write past the capacity faults at once, and a
// reader that takes typed fields off the front of the fuzz input.
#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace tavo::fuzz {

inline constexpr unsigned char kSentinel = 0xA5;

// Writable bytes that end exactly at a guard page.  The mapping is made once
// and reused: each run takes the last `capacity` bytes before the guard page
// (at most kMaxRoom) and refills them, and a margin before them, with the
// sentinel.
inline constexpr size_t kMaxRoom = 1 << 16;
inline constexpr size_t kMargin = 64;  // checked before the buffer's start

class GuardedBuffer {
 public:
  explicit GuardedBuffer(size_t capacity) : room_(capacity < kMaxRoom ? capacity : kMaxRoom) {
    unsigned char* end = Arena();
    start_ = end - room_;
    std::memset(start_ - kMargin, kSentinel, room_ + kMargin);
  }
  GuardedBuffer(const GuardedBuffer&) = delete;
  GuardedBuffer& operator=(const GuardedBuffer&) = delete;

  char* data() { return reinterpret_cast<char*>(start_); }
  size_t room() const { return room_; }
  // True when the margin before the buffer and every byte from `from` on still
  // hold the sentinel.
  bool UntouchedFrom(size_t from) const {
    for (const unsigned char* p = start_ - kMargin; p < start_; ++p) {
      if (*p != kSentinel) return false;
    }
    for (const unsigned char* p = start_ + from; p < start_ + room_; ++p) {
      if (*p != kSentinel) return false;
    }
    return true;
  }

 private:
  // The end of kMaxRoom + kMargin writable bytes followed by a PROT_NONE page.
  static unsigned char* Arena() {
    static unsigned char* end = [] {
      const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
      const size_t data = (kMaxRoom + kMargin + page - 1) / page * page;
      void* p = mmap(nullptr, data + page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
      if (p == MAP_FAILED) std::abort();
      auto* base = static_cast<unsigned char*>(p);
      if (mprotect(base + data, page, PROT_NONE) != 0) std::abort();
      return base + data;
    }();
    return end;
  }

  size_t room_;
  unsigned char* start_;
};

// Takes fixed-size fields off the front of the input; zeros once it runs dry.
class Reader {
 public:
  Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  uint8_t Byte() { return size_ ? (--size_, *data_++) : 0; }
  int32_t Int32() {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v = (v << 8) | Byte();
    return static_cast<int32_t>(v);
  }
  std::string Rest() {
    std::string s(reinterpret_cast<const char*>(data_), size_);
    size_ = 0;
    return s;
  }

 private:
  const uint8_t* data_;
  size_t size_;
};

// A capacity that is mostly small and near the interesting boundaries, but
// sometimes negative or huge.
inline int32_t PickCapacity(uint8_t selector, int32_t raw) {
  switch (selector % 4) {
    case 0: return selector / 4;           // 0..63
    case 1: return 64 + selector;          // ample for short values
    case 2: return raw;                    // anything, negative included
    default: return -1 - (selector / 4);   // negative
  }
}

}  // namespace tavo::fuzz
