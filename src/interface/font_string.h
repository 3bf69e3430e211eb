// FontString: the growable byte string every encoder appends its font code
// points to.  It holds any byte; its length, not a terminator, ends it.  The
// first kInline bytes live inside the object, so a call whose value and
// result are short (nearly every real call) never touches the heap; longer
// strings move to heap storage, whose exhaustion throws std::bad_alloc for
// the export shims to report.
#pragma once

#include <cstddef>
#include <cstring>
#include <string_view>
#include <utility>

// The appends below run once per code point of every translation.  With many
// encoders in one program the compiler's inliner stops inlining them on its
// own (a Code 128 translation then costs a quarter more instructions), so
// they are inlined by force.
//
// TAVO_FLATTEN asks for every call inside one hot entry to be inlined into
// it: an encoder whose helpers gained other callers (GS1-128's parser is
// shared with GS1 Data Matrix) keeps its single straight path.
#if defined(__GNUC__) || defined(__clang__)
#define TAVO_HOT_INLINE [[gnu::always_inline]] inline
#define TAVO_FLATTEN [[gnu::flatten]]
#else
#define TAVO_HOT_INLINE inline
#define TAVO_FLATTEN
#endif

namespace tavo {

// Copies n bytes between buffers that do not overlap.  A copy of up to 32
// bytes (nearly every result) is made of fixed-size pieces, the last of
// which may overlap the one before.
TAVO_HOT_INLINE void CopyInPieces(char* dst, const char* src, size_t n) {
  if (n > 32) {
    std::memcpy(dst, src, n);
  } else if (n >= 16) {  // the first 16 bytes and the last 16
    std::memcpy(dst, src, 8);
    std::memcpy(dst + 8, src + 8, 8);
    std::memcpy(dst + n - 16, src + n - 16, 8);
    std::memcpy(dst + n - 8, src + n - 8, 8);
  } else if (n >= 8) {
    std::memcpy(dst, src, 8);
    std::memcpy(dst + n - 8, src + n - 8, 8);
  } else if (n >= 4) {
    std::memcpy(dst, src, 4);
    std::memcpy(dst + n - 4, src + n - 4, 4);
  } else if (n > 0) {
    dst[0] = src[0];
    dst[n / 2] = src[n / 2];
    dst[n - 1] = src[n - 1];
  }
}

// How results and appends copy.  In WebAssembly a memcpy whose size is
// unknown is a call into the C library that moves unaligned bytes one at a
// time, and that took a sixth of a short translation there; natively the C
// library's memcpy takes fewer instructions than the pieces.
TAVO_HOT_INLINE void CopyBytes(char* dst, const char* src, size_t n) {
#if defined(__wasm__)
  CopyInPieces(dst, src, n);
#else
  if (n != 0) std::memcpy(dst, src, n);
#endif
}

class FontString {
 public:
  static constexpr size_t kInline = 240;

  FontString() noexcept = default;
  FontString(std::string_view s) { append(s); }  // NOLINT: converts like std::string
  FontString(const char* s) : FontString(std::string_view(s)) {}  // NOLINT
  FontString(size_t n, char c) { append(n, c); }
  FontString(const FontString& other) { append(other.view()); }
  FontString(FontString&& other) noexcept { Take(other); }
  FontString& operator=(const FontString& other) {
    if (this != &other) {
      clear();
      append(other.view());
    }
    return *this;
  }
  FontString& operator=(FontString&& other) noexcept {
    if (this != &other) {
      Release();
      Take(other);
    }
    return *this;
  }
  ~FontString() { Release(); }

  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  const char* data() const { return data_; }
  char* data() { return data_; }
  const char* begin() const { return data_; }
  const char* end() const { return data_ + size_; }
  char* begin() { return data_; }
  char* end() { return data_ + size_; }
  char& operator[](size_t i) { return data_[i]; }
  char operator[](size_t i) const { return data_[i]; }
  char back() const { return data_[size_ - 1]; }
  std::string_view view() const { return {data_, size_}; }
  operator std::string_view() const { return view(); }  // NOLINT
  std::string_view substr(size_t pos, size_t n = std::string_view::npos) const {
    return view().substr(pos, n);
  }

  void clear() { size_ = 0; }
  void pop_back() { --size_; }
  // Grows the string by n bytes left for the caller to write, and returns
  // where they begin; resize() gives back what goes unused.
  TAVO_HOT_INLINE char* Extend(size_t n) {
    if (n > capacity_ - size_) Grow(size_ + n);
    char* at = data_ + size_;
    size_ += n;
    return at;
  }
  void resize(size_t n, char c = '\0') {
    if (n > size_) {
      append(n - size_, c);
    } else {
      size_ = n;
    }
  }
  void reserve(size_t n) {
    if (n > capacity_) Grow(n);
  }
  TAVO_HOT_INLINE void push_back(char c) {
    if (size_ == capacity_) Grow(size_ + 1);
    data_[size_++] = c;
  }
  TAVO_HOT_INLINE FontString& append(std::string_view s) {
    if (s.size() > capacity_ - size_) Grow(size_ + s.size());
    CopyBytes(data_ + size_, s.data(), s.size());
    size_ += s.size();
    return *this;
  }
  TAVO_HOT_INLINE FontString& append(size_t n, char c) {
    if (n > capacity_ - size_) Grow(size_ + n);
    std::memset(data_ + size_, c, n);
    size_ += n;
    return *this;
  }
  // Inserts one byte before `pos`, a position inside this string.
  void insert(const char* pos, char c) {
    const size_t at = static_cast<size_t>(pos - data_);
    push_back(c);
    std::memmove(data_ + at + 1, data_ + at, size_ - 1 - at);
    data_[at] = c;
  }

  friend bool operator==(const FontString& a, const FontString& b) { return a.view() == b.view(); }
  friend bool operator==(const FontString& a, std::string_view b) { return a.view() == b; }

 private:
  bool OnHeap() const { return data_ != inline_; }
  void Release() {
    if (OnHeap()) delete[] data_;
    data_ = inline_;
    capacity_ = kInline;
    size_ = 0;
  }
  void Take(FontString& other) {
    if (other.OnHeap()) {
      data_ = std::exchange(other.data_, other.inline_);
      capacity_ = std::exchange(other.capacity_, kInline);
    } else {
      std::memcpy(inline_, other.inline_, other.size_);
    }
    size_ = std::exchange(other.size_, 0);
  }
  // At least doubles, so appending is amortised linear.
  void Grow(size_t need) {
    size_t cap = capacity_ * 2;
    if (cap < need) cap = need;
    char* bigger = new char[cap];
    std::memcpy(bigger, data_, size_);
    if (OnHeap()) delete[] data_;
    data_ = bigger;
    capacity_ = cap;
  }

  char* data_ = inline_;
  size_t size_ = 0;
  size_t capacity_ = kInline;
  char inline_[kInline];
};

}  // namespace tavo
