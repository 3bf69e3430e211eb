// The scanner suite's harness: draws translated values as PNG pictures in a
// scratch directory, reads them back with zbar, and asks zint for the bar
// pattern of the symbologies zbar cannot read.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "tavo_model.h"

namespace tavo::scan {

// One symbol that zbar found in a picture.
struct Reading {
  std::string type;       // zbar's name: "CODE-39", "EAN-13", "EAN-2" ...
  std::string data;       // the decoded bytes
  std::string modifiers;  // e.g. "GS1" when the symbol starts with FNC1
};

// How one picture is drawn.
struct Drawing {
  model::ModelOptions model;
  double module = 2;  // pixels per module
};

// A scratch directory of pictures, removed again unless TAVO_SCAN_KEEP is
// set in the environment (then its path is printed).
class PictureBatch {
 public:
  explicit PictureBatch(std::string_view name);
  ~PictureBatch();
  PictureBatch(const PictureBatch&) = delete;
  PictureBatch& operator=(const PictureBatch&) = delete;

  // Draws `font_string` of `symbology` as the next picture; false with the
  // reason in `error` when the model cannot lay it out or the file cannot be
  // written.
  bool Add(int32_t symbology, std::string_view font_string, const Drawing& drawing,
           std::string& error);
  size_t size() const { return files_.size(); }
  std::filesystem::path file(size_t i) const { return dir_ / files_[i]; }
  const std::filesystem::path& dir() const { return dir_; }

  // Reads every picture with zbar (ZbarXml); `settings` are zbar's -S
  // options without the "-S" ("disable", "code39.enable").  One list of
  // readings per picture, in the order they were added; empty where zbar
  // found nothing.  False with the reason when a picture could not be read.
  bool ScanWithZbar(const std::vector<std::string>& settings,
                    std::vector<std::vector<Reading>>& readings, std::string& error) const;

 private:
  std::filesystem::path dir_;
  std::vector<std::string> files_;
};

// Runs a shell command; its standard output, and its exit status in
// `status` (-1 when it could not be started).
std::string RunCommand(const std::string& command, int& status);

// zbar, run in this process through libzbar (the library zbarimg runs),
// with a fresh scanner for every picture, so that nothing one picture held
// (half a DataBar symbol) carries over to the next.  `picture` is a PNG or
// an 8-bit binary PGM file; `settings` are zbar's -S options without the
// "-S".  A test run with TAVO_SCAN_CROSSCHECK=1 in the environment also runs
// zbarimg on every picture and fails where the two disagree.
//
// The <symbol> elements `zbarimg --xml` writes for the picture, inside a
// <source href='NAME'> element; false with the reason when the file cannot
// be read or a setting is not zbar's.
bool ZbarXml(const std::filesystem::path& picture, std::string_view name, const std::vector<std::string>& settings,
             std::string& xml, std::string& error);
// What `zbarimg --raw` prints for the picture: each symbol's data, with a
// line break after each unless `settings` holds "binary"; "" when zbar reads
// nothing or the file cannot be read.
std::string ZbarRaw(const std::filesystem::path& picture, const std::vector<std::string>& settings);

// The zbarimg command line that reads `picture` with `settings`, in `mode`
// ("--xml" or "--raw"), for RunCommand: what ZbarXml and ZbarRaw stand in for.
std::string ZbarimgCommand(const std::filesystem::path& picture, const std::vector<std::string>& settings,
                           const char* mode);

// The module rows that `zint ARGUMENTS --dump` prints (hexadecimal, most
// significant bit first), as strings of '1' (bar) and '0' (space) with the
// padding after the last bar removed.  Empty when zint fails.  The options
// the suites use (-b, -d, -i, --binary, --square, --gs1, --gs1parens,
// --gs1nocheck, --vers, --cols, --secure, --eci) are given to libzint in
// this process, as zint's command line gives them; any other argument runs
// the zint program.  TAVO_SCAN_CROSSCHECK=1 runs the program every time too.
std::vector<std::string> ZintRows(const std::string& arguments);
// The same rows from the zint program itself (`zint ARGUMENTS --dump`).
std::vector<std::string> ZintProgramRows(const std::string& arguments);

// zint's Intelligent Mail bars for a value ("TRACKING-ROUTING"), one letter
// each as the font writes them: "A" ascender, "D" descender, "F" full,
// "T" tracker; "" when zint gives no symbol.  Its dump has the ascender row
// first and the descender row last, a bar in every other column.
std::string ZintImbBars(const std::string& value);

// zbarimg's XML report parsed into readings per file name, in report order.
struct SourceReadings {
  std::string file;
  std::vector<Reading> readings;
};
std::vector<SourceReadings> ParseZbarXml(std::string_view xml);

}  // namespace tavo::scan
