// `tavo list --json`, written by hand: the document is small and its schema
// fixed (docs/list-json.md).
#include "list_json.h"

#include <cstdio>
#include <string_view>

#include "symbologies/registry.h"
#include "tavo32.h"

namespace tavo::cli {
namespace {

void AppendString(std::string& out, std::string_view text) {
  out.push_back('"');
  for (char c : text) {
    const auto b = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out.push_back('\\');
      out.push_back(c);
    } else if (b < 0x20) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04x", b);
      out += escape;
    } else {
      out.push_back(c);
    }
  }
  out.push_back('"');
}

std::string_view TextRuleName(TextRule rule) {
  switch (rule) {
    case TextRule::kWindows1252: return "windows-1252";
    case TextRule::kUtf8Eci: return "utf-8-eci";
    case TextRule::kUtf8: return "utf-8";
  }
  return "";
}

std::string_view OptionTypeName(OptionType type) {
  switch (type) {
    case OptionType::kFlag: return "flag";
    case OptionType::kChoice: return "choice";
    case OptionType::kNumber: return "number";
  }
  return "";
}

void AppendOption(std::string& out, const OptionInfo& o) {
  out += "{\"name\": ";
  AppendString(out, o.name);
  out += ", \"type\": ";
  AppendString(out, OptionTypeName(o.type));
  out += ", \"help\": ";
  AppendString(out, o.help);
  if (o.type == OptionType::kFlag) out += ", \"check\": " + std::to_string(o.check);
  if (o.type == OptionType::kNumber) {
    out += ", \"min\": " + std::to_string(o.min) + ", \"max\": " + std::to_string(o.max) +
           ", \"check\": " + std::to_string(o.check);
  }
  if (o.type == OptionType::kChoice) {
    out += ", \"default\": ";
    AppendString(out, o.default_choice);
    out += ", \"values\": [";
    for (size_t i = 0; i < o.choices.size(); ++i) {
      out += i ? ", {\"name\": " : "{\"name\": ";
      AppendString(out, o.choices[i].name);
      out += ", \"check\": " + std::to_string(o.choices[i].check) + "}";
    }
    out += "]";
  }
  out += "}";
}

void AppendSymbology(std::string& out, const SymbologyInfo& s) {
  out += "    {\"code\": " + std::to_string(s.code) + ", \"name\": ";
  AppendString(out, s.name);
  out += ", \"title\": ";
  AppendString(out, s.title);
  out += ", \"aliases\": [";
  bool first = true;
  detail::ForEachWord(s.aliases, [&](std::string_view alias) {
    if (!first) out += ", ";
    first = false;
    AppendString(out, alias);
  });
  out += "],\n     \"family\": ";
  AppendString(out, s.family);
  out += ", \"faces\": " + std::to_string(FaceCount(s.faces)) + ", \"font\": " + std::to_string(s.font);
  out += ", \"text\": ";
  AppendString(out, TextRuleName(s.text));
  out += ", \"multi_line\": ";
  out += s.multi_line ? "true" : "false";
  out += ", \"max_length\": " + std::to_string(s.max_value_length) + ",\n     \"options\": [";
  for (size_t i = 0; i < s.options.size(); ++i) {
    if (i) out += ", ";
    AppendOption(out, s.options[i]);
  }
  out += "],\n     \"errors\": [";
  for (size_t i = 0; i < s.errors.size(); ++i) out += (i ? ", " : "") + std::to_string(s.errors[i]);
  out += "]}";
}

// Every code BC_StrErr has a message of its own for.
void AppendErrors(std::string& out) {
  char unknown[128] = {};
  BC_StrErr(-1, unknown, sizeof unknown - 1);
  bool first = true;
  for (int32_t code = 32500; code < 32700; ++code) {
    char message[256] = {};
    BC_StrErr(code, message, sizeof message - 1);
    if (std::string_view(message) == unknown) continue;
    out += first ? "\n    {\"code\": " : ",\n    {\"code\": ";
    first = false;
    out += std::to_string(code) + ", \"message\": ";
    AppendString(out, message);
    out += "}";
  }
}

}  // namespace

std::string SymbologiesJson() {
  std::string out = "{\"schema\": 1,\n \"version\": ";
  char version[32];
  std::snprintf(version, sizeof version, "%d.%d.%d", TAVO_VersionMajor(), TAVO_VersionMinor(),
                TAVO_VersionRevision());
  AppendString(out, version);
  out += ", \"translation\": " + std::to_string(BC_FontGetVer()) + ",\n \"symbologies\": [\n";
  const auto rows = Symbologies();
  for (size_t i = 0; i < rows.size(); ++i) {
    AppendSymbology(out, rows[i]);
    out += i + 1 < rows.size() ? ",\n" : "\n";
  }
  out += " ],\n \"errors\": [";
  AppendErrors(out);
  out += "\n ]}\n";
  return out;
}

}  // namespace tavo::cli
