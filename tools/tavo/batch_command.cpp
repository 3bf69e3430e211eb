// `tavo batch` on the command line: options, the input file, and the output
// written to a temporary file beside it and renamed into place only when
// the run has finished, so a failed or interrupted run leaves an existing
// output exactly as it was, and the input is never opened for writing.
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <new>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#ifndef _WIN32
#include <unistd.h>
#endif

#include "batch.h"
#include "cli.h"
#include "tavo32.h"

namespace tavo::batch {
namespace {

namespace fs = std::filesystem;

constexpr char kBatchUsage[] =
    "usage: tavo batch SYMBOLOGY --column NAME [-i IN.csv] [-o OUT.csv | --in-place]\n"
    "                  [--output-column NAME] [OPTIONS] [--check | --check-value N]\n"
    "                  [--empty keep|fail]\n"
    "                  [--encoding auto|utf-8|windows-1252|utf-16] [--output-encoding ENC]\n"
    "                  [--delimiter ,|;|tab] [--raw]\n"
    "  adds a column holding the font string of each row's value in column NAME (a\n"
    "  header name, matched exactly, else without case and surrounding spaces, or a\n"
    "  column's number from 1); the new column is \"NAME font\" unless named.\n"
    "  Standard input and output when -i / -o are not given or are \"-\".  The\n"
    "  input's encoding follows its byte order mark, else valid UTF-8 is UTF-8, else\n"
    "  Windows-1252; the output is written in the same unless --output-encoding says.\n"
    "  The delimiter (comma, semicolon or tab) is the header's.  --raw passes values\n"
    "  and font strings as bytes.  OPTIONS are the symbology's named options, as for\n"
    "  `tavo translate` (--level H, --shape rect, --gs1; --check for a check digit);\n"
    "  --check-value N passes N itself as the library's check argument.\n"
    "  Failed rows get an empty cell and a line\n"
    "  \"row N, column \"NAME\": reason\" on standard error (the header is row 1); the\n"
    "  reason begins with the error code when there is one (\"32507 ERROR: ...\").\n"
    "  Exit status 1 when any row failed, 2 when the run could not be done (the\n"
    "  output file is then left as it was).\n";

// A usage error: the reason and the one line of usage (`tavo batch --help`
// prints all of it).
int Usage(std::string_view why) {
  std::fprintf(stderr, "tavo: %.*s\nusage: tavo batch SYMBOLOGY --column NAME [-i IN.csv] [-o OUT.csv | --in-place] "
               "[OPTIONS]  (tavo batch --help: all of it)\n", static_cast<int>(why.size()), why.data());
  return 2;
}

// The temporary output, removed if the run is interrupted.
char g_temp_path[4096];
std::atomic<bool> g_temp_live{false};

extern "C" void RemoveTempAndExit(int signal_number) {
#ifndef _WIN32
  if (g_temp_live.load()) unlink(g_temp_path);
  _exit(128 + signal_number);
#else
  if (g_temp_live.load()) std::remove(g_temp_path);
  std::_Exit(128 + signal_number);
#endif
}

struct Files {
  std::string input = "-";
  std::string output = "-";
  bool in_place = false;
};

// A symbology's named option at argv[i] ("--level H", "--level=H", "--gs1"),
// added to `named`; 0, or the exit status after a usage message naming it.
template <size_t A, size_t B>
int NamedOptionArgument(int argc, char** argv, int& i, const std::string_view (&takes)[A],
                        const std::string_view (&plain)[B], std::vector<cli::NamedOption>& named) {
  std::string_view a = argv[i];
  std::string_view value;
  const size_t eq = a.find('=');
  if (eq != std::string_view::npos) {
    value = a.substr(eq + 1);
    a = a.substr(0, eq);
  }
  const OptionInfo* option = nullptr;
  for (const SymbologyInfo& row : Symbologies()) {
    if (!option) option = FindOption(row, a.substr(2));
  }
  if (!option) {
    std::vector<std::string> known(std::begin(takes), std::end(takes));
    known.insert(known.end(), std::begin(plain), std::end(plain));
    for (const SymbologyInfo& row : Symbologies()) {
      for (const OptionInfo& o : row.options) {
        std::string flag = "--";
        for (char c : o.name) flag.push_back(c == '_' ? '-' : c);
        known.push_back(flag);
      }
    }
    return Usage("unknown option " + std::string(a) + cli::DidYouMean(cli::NearestWords(a, known)));
  }
  if (eq == std::string_view::npos && option->type != OptionType::kFlag) {
    if (i + 1 == argc) return Usage(std::string(a) + " lacks its value");
    value = argv[++i];
  }
  named.push_back({std::string(a.substr(2)), std::string(value)});
  return 0;
}

// The check argument from --check, --check-value N (the argument itself, as
// `tavo translate` takes it) or the named options; 0, or the exit status
// after a usage message.
int CheckArgument(int32_t symbology, bool check_flag, std::optional<std::string_view> check_value,
                  std::vector<cli::NamedOption>& named, int32_t& check) {
  if (check_value) {
    if (check_flag || !named.empty()) {
      return Usage("--check-value sets the check argument itself: it takes no named options or --check");
    }
    const std::optional<int32_t> n = cli::ParseInt(*check_value);
    if (!n) return Usage("--check-value takes a whole number, not '" + std::string(*check_value) + "'");
    check = *n;
    return 0;
  }
  if (const SymbologyInfo* row = FindSymbology(symbology)) {
    if (check_flag) named.push_back({FindOption(*row, "check_digit") ? "check_digit" : "check", ""});
    std::string why;
    const std::optional<int32_t> resolved = cli::ResolveCheck(*row, named, why);
    if (!resolved) return Usage(why);
    check = *resolved;
  } else if (!named.empty() || check_flag) {
    return Usage("a symbology without a row in the registry takes no options (use --check-value)");
  }
  return 0;
}

// Reads the options; nullopt after a usage message.
std::optional<int> ParseOptions(int argc, char** argv, BatchOptions& options, Files& files) {
  std::optional<int32_t> symbology;
  bool have_column = false;
  bool check_flag = false;
  std::optional<std::string_view> check_value;
  std::vector<cli::NamedOption> named;
  static constexpr std::string_view kTakes[] = {"--column", "--output-column", "-i", "-o", "--encoding",
                                                "--output-encoding", "--delimiter", "--empty", "--check-value"};
  static constexpr std::string_view kPlain[] = {"--check", "--raw", "--in-place", "--help"};
  for (int i = 2; i < argc; ++i) {
    std::string_view a = argv[i];
    if (a == "--help") {
      std::fputs(kBatchUsage, stdout);
      return 0;
    }
    const bool takes = std::find(std::begin(kTakes), std::end(kTakes), a) != std::end(kTakes);
    if (takes && i + 1 == argc) return Usage(std::string(a) + " lacks its value");
    const std::string_view v = takes ? std::string_view(argv[++i]) : std::string_view();
    if (a == "--column") {
      options.column = v;
      have_column = true;
    } else if (a == "--output-column") {
      options.output_column = v;
    } else if (a == "-i") {
      files.input = v;
    } else if (a == "-o") {
      files.output = v;
    } else if (a == "--encoding") {
      if (v != "auto" && !(options.encoding = text::ParseEncoding(v))) {
        return Usage("unknown --encoding '" + std::string(v) + "' (auto, utf-8, windows-1252 or utf-16)");
      }
    } else if (a == "--output-encoding") {
      if (!(options.output_encoding = text::ParseEncoding(v))) {
        return Usage("unknown --output-encoding '" + std::string(v) + "' (utf-8, windows-1252 or utf-16)");
      }
    } else if (a == "--delimiter") {
      options.delimiter = v == "tab" || v == "\\t" || v == "\t" ? '\t' : v.size() == 1 ? v[0] : 0;
      if (std::string_view(",;\t|").find(options.delimiter) == std::string_view::npos || !options.delimiter) {
        return Usage("--delimiter takes , ; | or tab, not '" + std::string(v) + "'");
      }
    } else if (a == "--empty") {
      if (v != "keep" && v != "fail") return Usage("--empty takes keep or fail, not '" + std::string(v) + "'");
      options.empty = v == "fail" ? EmptyCells::kFail : EmptyCells::kKeep;
    } else if (a == "--check") {
      check_flag = true;
    } else if (a == "--check-value") {
      check_value = v;
    } else if (a == "--raw") {
      options.raw = true;
    } else if (a == "--in-place") {
      files.in_place = true;
    } else if (a.size() > 2 && a.substr(0, 2) == "--") {
      if (int rc = NamedOptionArgument(argc, argv, i, kTakes, kPlain, named)) return rc;
    } else if (a.size() > 1 && a[0] == '-') {
      return Usage("unknown option " + std::string(a));
    } else if (!symbology) {
      if (!(symbology = cli::ParseSymbology(a))) return Usage(cli::UnknownSymbologyMessage(a));
    } else {
      return Usage("batch takes one SYMBOLOGY; '" + std::string(a) + "' is a second");
    }
  }
  if (!symbology) return Usage("batch takes SYMBOLOGY");
  if (!have_column) return Usage("batch needs --column NAME");
  if (options.raw && (options.encoding || options.output_encoding)) {
    return Usage("--raw passes bytes: it takes no --encoding or --output-encoding");
  }
  if (int rc = CheckArgument(*symbology, check_flag, check_value, named, options.check)) return rc;
  char probe[8];
  int32_t len = 0;
  if (BC_FontTranslate(*symbology, "", 0, probe, 0, &len) == BC_FONT_ERR_UNKNOWN_SYMBOLOGY) {
    return Usage("unknown symbology");
  }
  options.symbology = *symbology;
  return std::nullopt;
}

// Whether two paths name the same file (device and inode), through links.
bool SameFile(const std::string& a, const std::string& b) {
  std::error_code ec;
  return fs::exists(b, ec) && fs::equivalent(a, b, ec) && !ec;
}

// The file the output replaces: a symbolic link is followed, so the file
// it points to is replaced and the link stays.
fs::path OutputTarget(const std::string& output) {
  std::error_code ec;
  if (fs::is_symlink(output, ec)) {
    const fs::path target = fs::canonical(output, ec);
    if (!ec) return target;
  }
  return fs::path(output);
}

// Opens a new temporary file in the folder of `target`.
std::FILE* OpenTemp(const fs::path& target, std::string& path) {
  std::random_device random;
  const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
  for (int attempt = 0; attempt < 16; ++attempt) {
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, ".tavo-%08x", static_cast<unsigned>(random()));
    path = (folder / ("." + target.filename().string() + suffix)).string();
    if (path.size() >= sizeof g_temp_path) return nullptr;
#ifdef _WIN32
    // The C runtime of MinGW has no "x" mode; the name is random.
    std::error_code ec;
    if (fs::exists(path, ec)) continue;
    if (std::FILE* f = std::fopen(path.c_str(), "wb")) return f;
    return nullptr;
#else
    if (std::FILE* f = std::fopen(path.c_str(), "wbx")) return f;
    if (errno != EEXIST) return nullptr;
#endif
  }
  return nullptr;
}

int RunGuarded(const BatchOptions& options, std::FILE* in, std::FILE* out) {
  try {
    return RunBatch(options, in, out, stderr);
  } catch (const std::bad_alloc&) {
    std::fputs("tavo: out of memory; stopped\n", stderr);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "tavo: %s; stopped\n", e.what());
  }
  return 2;
}

// Straight into an output that is no regular file (/dev/null, a pipe):
// there is nothing to replace, and renaming over it would replace the device.
int RunToDevice(const BatchOptions& options, std::FILE* in, const std::string& output) {
  std::FILE* out = std::fopen(output.c_str(), "wb");
  if (!out) {
    std::fprintf(stderr, "tavo: cannot write %s: %s\n", output.c_str(), std::strerror(errno));
    return 2;
  }
  int status = RunGuarded(options, in, out);
  if (std::fclose(out) != 0 && status != 2) {
    std::fprintf(stderr, "tavo: cannot write %s\n", output.c_str());
    status = 2;
  }
  return status;
}

// The run into a temporary file, renamed over `output` when it finished.
int RunToFile(const BatchOptions& options, std::FILE* in, const std::string& output) {
  const fs::path target = OutputTarget(output);
  std::error_code ec;
  if (fs::exists(target, ec) && !fs::is_regular_file(target, ec)) return RunToDevice(options, in, output);
  std::string temp;
  std::FILE* out = OpenTemp(target, temp);
  if (!out) {
    std::fprintf(stderr, "tavo: cannot write in the folder of %s: %s\n", output.c_str(), std::strerror(errno));
    return 2;
  }
  std::memcpy(g_temp_path, temp.c_str(), temp.size() + 1);
  g_temp_live = true;
  std::signal(SIGINT, RemoveTempAndExit);
  std::signal(SIGTERM, RemoveTempAndExit);
  int status = RunGuarded(options, in, out);
  if (std::fclose(out) != 0 && status != 2) {
    std::fprintf(stderr, "tavo: cannot write %s\n", output.c_str());
    status = 2;
  }
  if (status != 2) {
    const fs::perms perms = fs::status(target, ec).permissions();
    if (!ec) fs::permissions(temp, perms, ec);
    fs::rename(temp, target, ec);
    if (ec) {
      std::fprintf(stderr, "tavo: cannot replace %s: %s\n", output.c_str(), ec.message().c_str());
      status = 2;
    }
  }
  if (status == 2) fs::remove(temp, ec);
  g_temp_live = false;
  return status;
}

}  // namespace

int RunBatchCommand(int argc, char** argv) {
  BatchOptions options;
  Files files;
  if (std::optional<int> bad = ParseOptions(argc, argv, options, files)) return *bad;
  if (files.in_place && files.output == "-") files.output = files.input;
  if (files.in_place && files.input == "-") return Usage("--in-place needs -i FILE");
  if (files.input != "-" && files.output != "-" && SameFile(files.input, files.output) && !files.in_place) {
    std::fprintf(stderr, "tavo: %s is the input file %s; give --in-place to replace the input\n",
                 files.output.c_str(), files.input.c_str());
    return 2;
  }
  std::FILE* in = files.input == "-" ? stdin : std::fopen(files.input.c_str(), "rb");
  if (!in) {
    std::fprintf(stderr, "tavo: cannot open %s: %s\n", files.input.c_str(), std::strerror(errno));
    return 2;
  }
  if (in != stdin && std::fseek(in, 0, SEEK_END) == 0) {
    const long size = std::ftell(in);
    if (size > 0) options.input_size = static_cast<uint64_t>(size);
    std::rewind(in);
  }
#ifndef _WIN32
  options.progress = isatty(fileno(stderr)) != 0;
#endif
  const int status = files.output == "-" ? RunGuarded(options, in, stdout) : RunToFile(options, in, files.output);
  if (in != stdin) std::fclose(in);
  return status;
}

}  // namespace tavo::batch
