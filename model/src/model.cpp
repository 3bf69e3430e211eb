// The model's entries: dispatch by symbology code, and the symbols that no
// reader can read back as their value.
#include <string>

#include "model_internal.h"
#include "symbologies/codes.h"

namespace tavo::model {

using detail::Fail;

bool Reading::Consistent() const {
  if (!faults.empty()) return false;
  for (const CheckFinding& c : checks) {
    if (!c.Matches() && !(c.optional && c.found.empty())) return false;
  }
  return true;
}

bool BuildSymbol(int32_t symbology, std::string_view font_string, const ModelOptions& options,
                 Symbol& symbol, ModelError& error) {
  symbol = Symbol{};
  const detail::ModelRow* row = detail::FindModelRow(symbology);
  if (row == nullptr) return Fail(error, 0, "unknown symbology code " + std::to_string(symbology) + " (tavo list names the known ones)");
  return row->build(symbology, font_string, options, symbol, error);
}

bool ReadSymbol(int32_t symbology, std::string_view font_string, Reading& reading, ModelError& error) {
  reading = Reading{};
  const detail::ModelRow* row = detail::FindModelRow(symbology);
  if (row == nullptr) return Fail(error, 0, "unknown symbology code " + std::to_string(symbology) + " (tavo list names the known ones)");
  return row->read(symbology, font_string, reading, error);
}

namespace {

bool HasStartCharacter(int32_t symbology) {
  const detail::ModelRow* row = detail::FindModelRow(symbology);
  return row != nullptr && row->has_start_character;
}

bool IsCode39(int32_t symbology) {
  return symbology == symbology::kCode39 || symbology == symbology::kCode39FullAscii;
}

// The characters that frame the data rather than carry it.
bool IsFrame(const SymbolCharacter& c) {
  return c.role == CharacterRole::kStart || c.role == CharacterRole::kStop ||
         c.role == CharacterRole::kCheck || c.role == CharacterRole::kControl;
}

bool IsShift(const std::string& name) {
  return name == "$" || name == "%" || name == "+" || name == "/";
}

std::string PairWarning(char shift, char letter, const std::string& where, int ascii) {
  return "Code 39 characters \"" + std::string(1, shift) + "\" and \"" + std::string(1, letter) + "\" (" +
         where + ") form a Full ASCII shift pair: a Full ASCII reader reads them as " +
         detail::CharacterName(static_cast<unsigned char>(ascii)) + ", not as the two characters";
}

// A pair that no ASCII character expands to: "/D" to "/O" for characters
// written as themselves, and "%X" to "%Z" (DEL is "%T").
bool NoCharacterExpandsTo(char shift, char letter, int ascii) {
  return std::string_view("$%+-./").find(static_cast<char>(ascii)) != std::string_view::npos ||
         (shift == '%' && letter >= 'X');
}

void PairWarnings(int32_t symbology, const Symbol& symbol, std::vector<std::string>& warnings) {
  const std::vector<SymbolCharacter>& chars = symbol.characters;
  for (size_t i = 0; i + 1 < chars.size(); ++i) {
    const SymbolCharacter& a = chars[i];
    const SymbolCharacter& b = chars[i + 1];
    if (!IsShift(a.name) || b.name.size() != 1) continue;
    const int ascii = detail::FullAsciiPair(a.name[0], b.name[0]);
    if (ascii < 0) continue;
    // A glyph of the library's fonts that draws the pair stands for its
    // ASCII character; a pair across two glyphs, or any pair that no ASCII
    // character expands to, was written as two characters.
    const bool across = a.byte_index != b.byte_index;
    if ((symbology == symbology::kCode39 && across) ||
        (symbology == symbology::kCode39FullAscii && NoCharacterExpandsTo(a.name[0], b.name[0], ascii))) {
      warnings.push_back(PairWarning(a.name[0], b.name[0],
                                     "bytes " + std::to_string(a.byte_index) + " and " + std::to_string(b.byte_index),
                                     ascii));
    }
  }
}

}  // namespace

std::vector<std::string> ReadabilityWarnings(int32_t symbology, const Symbol& symbol) {
  std::vector<std::string> warnings;
  if (!symbol.grid.empty()) return warnings;  // 2D: the reader's error correction tells
  const std::vector<SymbolCharacter>& chars = symbol.characters;
  if (chars.empty()) {
    warnings.push_back("empty: the font string draws no symbol (an empty value)");
    return warnings;
  }
  if (symbology == symbology::kCodabar && chars.size() == 1 && chars[0].role == CharacterRole::kStop) {
    warnings.push_back("a stop character alone (a one-letter Codabar value): no start character and no data");
    return warnings;
  }
  bool data = false;
  for (const SymbolCharacter& c : chars) data = data || !IsFrame(c);
  if (HasStartCharacter(symbology) && chars[0].role != CharacterRole::kStart) {
    warnings.push_back("no start character (an empty value): a reader finds no symbol");
  } else if (HasStartCharacter(symbology) && !data) {
    warnings.push_back("no data (an empty value): readers refuse such a symbol or return nothing");
  }
  if (IsCode39(symbology)) PairWarnings(symbology, symbol, warnings);
  return warnings;
}

std::vector<std::string> ValueReadabilityWarnings(int32_t symbology, std::string_view value) {
  std::vector<std::string> warnings;
  if (value.empty()) {
    warnings.push_back("an empty value: its symbol has no start character or no data");
    return warnings;
  }
  if (symbology == symbology::kCodabar && value.size() == 1 && std::string_view("ABCDabcd").find(value[0]) != std::string_view::npos) {
    warnings.push_back("a one-letter Codabar value: its symbol is a stop character alone");
  }
  if (IsCode39(symbology)) {
    for (size_t i = 0; i + 1 < value.size(); ++i) {
      const int ascii = detail::FullAsciiPair(value[i], value[i + 1]);
      if (ascii >= 0) {
        warnings.push_back(PairWarning(value[i], value[i + 1],
                                       "value characters " + std::to_string(i) + " and " + std::to_string(i + 1),
                                       ascii));
      }
    }
  }
  return warnings;
}

}  // namespace tavo::model
