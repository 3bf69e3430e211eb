// The picture harness against the programs it stands in for: libzint in this
// process gives the rows the zint program dumps for every option the harness
// maps, and libzbar reads each picture as zbarimg does (XML and raw).  The
// whole suites can be checked the same way with TAVO_SCAN_CROSSCHECK=1.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "scanner.h"
#include "symbologies/codes.h"
#include "test_support.h"

namespace tavo::scan {
namespace {

using namespace tavo::symbology;

TEST(ScanHarness, LibzintGivesTheRowsOfTheZintProgram) {
  // One row per option the harness maps, and one it leaves to the program.
  const char* const kArguments[] = {
      "-b 47 --vers=2 -d 8675309",                                      // MSI, two mod-10 checks
      "-b 40 -d 12345678901",                                           // PostNet
      "-b 85 -d '01234567094987654321-01234567891'",                    // Intelligent Mail
      "-b 29 -d 0950110153000",                                         // DataBar
      "-b 81 --cols=2 --gs1parens -d '(01)09501101530003(3103)000123'",  // Expanded Stacked
      "-b 58 --secure=3 -d 'HELLO WORLD'",                              // QR Code, level Q
      "-b 58 --secure=1 --gs1 --gs1parens --gs1nocheck -d '(01)09501101530003(10)AB'",
      "-b 71 --square --binary -d 'Data Matrix 123'",
      "-b 92 --binary --eci=26 --secure=2 -d 'Zürich'",                 // Aztec Code
      "-b 84 --cols=2 -d 'MicroPDF417'",
      "-b 55 --binary --secure=2 --cols=3 -d 'PDF417'",
      "-b 58 --mask=2 -d 'MASK'",  // not mapped: the program runs
      "-b 71 -d ''",               // nothing to encode: no rows either way
  };
  for (const char* arguments : kArguments) {
    SCOPED_TRACE(arguments);
    const std::vector<std::string> ours = ZintRows(arguments);
    EXPECT_EQ(ours, ZintProgramRows(arguments));
    EXPECT_EQ(ours.empty(), std::string(arguments).ends_with("''"));
  }
}

TEST(ScanHarness, LibzbarReadsEachPictureAsZbarimgDoes) {
  struct Sample {
    int32_t code;
    const char* value;
    int32_t check;
    std::vector<std::string> settings;
  };
  const Sample kSamples[] = {
      {kEan13, "97801234567852495", 0, {}},  // with a 5-digit add-on
      {kCode128, "Tab\there", 0, {}},         // a control character: base 64 in the XML
      {kGs1_128, "(01)09501101530003(17)250101", 0, {}},  // the GS1 modifier
      {kDatabar, "0950110153000", 0, {"disable", "databar.enable"}},
      {kQr, "Z\xC3\xBCrich", 0, {"disable", "qrcode.enable"}},
      {kQr, "Z\xC3\xBCrich", 0, {"disable", "qrcode.enable", "binary"}},
      {kCode39, "NOT READ", 0, {"disable", "ean13.enable"}},  // nothing found
  };
  PictureBatch batch("harness");
  for (const Sample& s : kSamples) {
    const auto t = tavo::test::Translate(s.code, s.value, s.check, 4000);
    ASSERT_EQ(t.rc, 0) << s.value;
    std::string error;
    ASSERT_TRUE(batch.Add(s.code, t.bytes, {}, error)) << error;
  }
  for (size_t i = 0; i < std::size(kSamples); ++i) {
    SCOPED_TRACE(kSamples[i].value);
    const std::vector<std::string>& settings = kSamples[i].settings;
    auto zbarimg = [&](const char* mode) {
      int status = 0;
      return RunCommand(ZbarimgCommand(batch.file(i), settings, mode), status);
    };
    EXPECT_EQ(ZbarRaw(batch.file(i), settings), zbarimg("--raw"));
    // zbarimg's binary mode writes raw data whatever else it is asked.
    if (std::find(settings.begin(), settings.end(), "binary") != settings.end()) continue;

    std::string xml, error;
    ASSERT_TRUE(ZbarXml(batch.file(i), "p", settings, xml, error)) << error;
    const std::vector<SourceReadings> ours = ParseZbarXml(xml);
    const std::vector<SourceReadings> theirs = ParseZbarXml(zbarimg("--xml"));
    ASSERT_EQ(ours.size(), 1u);
    ASSERT_EQ(theirs.size(), 1u);
    ASSERT_EQ(ours[0].readings.size(), theirs[0].readings.size());
    for (size_t r = 0; r < ours[0].readings.size(); ++r) {
      EXPECT_EQ(ours[0].readings[r].type, theirs[0].readings[r].type);
      EXPECT_EQ(ours[0].readings[r].data, theirs[0].readings[r].data);
      EXPECT_EQ(ours[0].readings[r].modifiers, theirs[0].readings[r].modifiers);
    }
    EXPECT_EQ(ours[0].readings.empty(), i + 1 == std::size(kSamples));
  }
  std::string xml, error;
  EXPECT_FALSE(ZbarXml(batch.file(0), "p", {"no-such-setting"}, xml, error));
  EXPECT_NE(error.find("no-such-setting"), std::string::npos) << error;
  EXPECT_FALSE(ZbarXml(batch.dir() / "missing.png", "p", {}, xml, error));
}

}  // namespace
}  // namespace tavo::scan
