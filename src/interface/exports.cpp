// The exported entry points: each converts its arguments, calls the core and
// copies the result out.  Nothing the caller owns is written on error, no
// exception leaves, and null output pointers are never written through.
#include <cstring>
#include <new>
#include <string>

#include "faces/faces.h"
#include "interface/errors.h"
#include "interface/translate.h"
#include "interface/version.h"
#include "symbologies/gs1/gs1.h"
#include "symbologies/gs1/gs1_digital_link.h"
#include "tavo32.h"

namespace {

using tavo::kOk;

// Runs `f`; the only exception our code can meet is a failed allocation.
template <class F>
int32_t Guard(F&& f) noexcept {
  try {
    return f();
  } catch (...) {
    return tavo::kOutOfMemory;
  }
}

std::string_view ValueOf(const char* value) { return value ? std::string_view(value) : ""; }

// A null buffer counts as capacity 0.
int32_t CapacityOf(const char* buf, int32_t cap) { return buf ? cap : 0; }

// True when `size` bytes fit a capacity compared as a signed number.
bool Fits(size_t size, int32_t cap) { return cap >= 0 && size <= static_cast<size_t>(cap); }

void CopyOut(std::string_view text, char* buf, int32_t* len) {
  tavo::CopyBytes(buf, text.data(), text.size());
  if (len) *len = static_cast<int32_t>(text.size());
}

}  // namespace

extern "C" {

BC_API int32_t BC_CALL BC_FontTranslate(int32_t symbology, const char* value, int32_t check,
                                       char* buf, int32_t cap, int32_t* len) {
  return Guard([&] {
    tavo::FontString out;
    const tavo::Options options{.check = check != 0, .check_argument = check};
    if (int32_t rc = tavo::TranslateValue(ValueOf(value), symbology, options, out)) return rc;
    if (!Fits(out.size(), CapacityOf(buf, cap))) return int32_t{tavo::kTooManyCharacters};
    CopyOut(out, buf, len);
    return int32_t{kOk};
  });
}

BC_API int32_t BC_CALL BC_StrErr(int32_t code, char* buf, int32_t cap) {
  return Guard([&] {
    std::string text;
    tavo::AppendErrorMessage(code, text);
    cap = CapacityOf(buf, cap);
    if (Fits(text.size(), cap)) {
      CopyOut(text, buf, nullptr);
      return int32_t{kOk};
    }
    // The replacement text is written only when it fits whole.
    const std::string_view too_big = tavo::kMessageTooBig;
    if (Fits(too_big.size(), cap)) std::memcpy(buf, too_big.data(), too_big.size());
    return int32_t{tavo::kReturnedStringTooLong};
  });
}

BC_API int32_t BC_CALL BC_FontGetFaceName(const char* prefix, int32_t symbology, int32_t height,
                                         int32_t caption, char* buf, int32_t cap, int32_t* len) {
  return Guard([&] {
    std::string name;
    if (int32_t rc = tavo::GetFaceName(ValueOf(prefix), symbology, height, caption != 0, name)) {
      return rc;
    }
    // Room for a terminator is demanded, although none is written.
    if (!Fits(name.size() + 1, CapacityOf(buf, cap))) return int32_t{tavo::kTooManyCharacters};
    CopyOut(name, buf, len);
    return int32_t{kOk};
  });
}

BC_API int32_t BC_CALL BC_CharCheck(int32_t symbology, int32_t ch, int32_t alt, char* buf,
                                   int32_t cap, int32_t* len) {
  // This entry has no error codes: running out of memory is a 0 like any failure.
  const int32_t rc = Guard([&] {
    std::string text;
    if (!tavo::CharCheck(symbology, ch, alt != 0, text)) return 0;
    if (!Fits(text.size(), CapacityOf(buf, cap))) return 0;
    CopyOut(text, buf, len);
    return 1;
  });
  return rc == 1 ? 1 : 0;
}

BC_API int32_t BC_CALL BC_FontGetVer(void) { return tavo::kTranslationVersion; }

BC_API int32_t BC_CALL TAVO_VersionMajor(void) {
  return tavo::ReadVersionComponent(tavo::VersionComponent::kMajor);
}
BC_API int32_t BC_CALL TAVO_VersionMinor(void) {
  return tavo::ReadVersionComponent(tavo::VersionComponent::kMinor);
}
BC_API int32_t BC_CALL TAVO_VersionRevision(void) {
  return tavo::ReadVersionComponent(tavo::VersionComponent::kRevision);
}

BC_API int32_t BC_CALL BC_GS1HumanReadable(const char* value, char* buf, int32_t cap,
                                          int32_t* len) {
  return Guard([&] {
    tavo::Gs1Message message;
    if (int32_t rc = tavo::ParseGs1ElementStrings(ValueOf(value), message)) return rc;
    tavo::FontString text;
    tavo::AppendGs1HumanReadable(message, text);
    if (!Fits(text.size(), CapacityOf(buf, cap))) return int32_t{tavo::kTooManyCharacters};
    CopyOut(text, buf, len);
    return int32_t{kOk};
  });
}

BC_API int32_t BC_CALL BC_GS1CheckDigit(const char* key, int32_t verify, int32_t* digit) {
  return Guard([&] {
    char check = 0;
    if (int32_t rc = tavo::Gs1KeyCheckDigit(ValueOf(key), verify != 0, check)) return rc;
    if (digit) *digit = check - '0';
    return int32_t{kOk};
  });
}

BC_API int32_t BC_CALL BC_GS1DigitalLink(const char* value, const char* domain, char* buf,
                                        int32_t cap, int32_t* len) {
  return Guard([&] {
    std::string_view stem;
    if (int32_t rc = tavo::CheckGs1DlDomain(ValueOf(domain), stem)) return rc;
    std::string uri;
    if (int32_t rc = tavo::MakeGs1DigitalLink(ValueOf(value), stem, uri)) return rc;
    if (!Fits(uri.size(), CapacityOf(buf, cap))) return int32_t{tavo::kTooManyCharacters};
    CopyOut(uri, buf, len);
    return int32_t{kOk};
  });
}

BC_API int32_t BC_CALL BC_GS1FromDigitalLink(const char* uri, char* buf, int32_t cap, int32_t* len) {
  return Guard([&] {
    std::string elements;
    if (int32_t rc = tavo::ParseGs1DigitalLink(ValueOf(uri), elements)) return rc;
    if (!Fits(elements.size(), CapacityOf(buf, cap))) return int32_t{tavo::kTooManyCharacters};
    CopyOut(elements, buf, len);
    return int32_t{kOk};
  });
}

BC_API int32_t BC_CALL BC_Font_ERR_INCOMPLETE_UPCA(void) { return tavo::kIncompleteUpcA; }
BC_API int32_t BC_CALL BC_Font_ERR_INCOMPLETE_UPCE(void) { return tavo::kIncompleteUpcE; }
BC_API int32_t BC_CALL BC_Font_ERR_INCOMPLETE_EANJAN_8(void) { return tavo::kIncompleteEan8; }
BC_API int32_t BC_CALL BC_Font_ERR_INCOMPLETE_EANJAN_13(void) { return tavo::kIncompleteEan13; }
BC_API int32_t BC_CALL BC_Font_ERR_INCOMPLETE_POSTNET(void) { return tavo::kIncompletePostNet; }

}  // extern "C"
