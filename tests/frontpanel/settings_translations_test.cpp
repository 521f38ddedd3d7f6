// The shipped settings file: every text of the front panel in all three languages, the English
// section equal to the built-in texts, and no Chinese text left in English by mistake.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <string_view>

#include "profile.h"
#include "texts/settings_file.h"

namespace zc::fp {
namespace {

struct CTextKey {
  const char* key;
  const char* english;  // the built-in text, used when the file lacks the key
};

// Every key the front panel and its windows look up, with their built-in texts.
const CTextKey kTexts[] = {
    {"003", "OK"},
    {"501", "Devices and Interfaces"},
    {"502", "Division"},
    {"503", "Read Speed : "},
    {"504", "Dots : "},
    {"506", "Current : "},
    {"511", "CH1"},
    {"512", "CH2"},
    {"513", "Level"},
    {"514", "Slope"},
    {"515", "Sens"},
    {"516", "Coupl"},
    {"517", "Imped"},
    {"518", "  x10 Atten"},
    {"519", "  100k Filter"},
    {"520", "CH3"},
    {"531", "Auto"},
    {"532", "Absolute"},
    {"533", "Pos"},
    {"534", "Neg"},
    {"535", "High"},
    {"536", "Middle"},
    {"537", "Low"},
    {"538", "AC"},
    {"539", "DC"},
    {"540", "1M ohm"},
    {"541", "50 ohms"},
    {"551", "About"},
    {"552", "Language"},
    {"561", "Freq && Ratio"},
    {"562", "Time && Period"},
    {"563", "Volt Peak"},
    {"564", "Other Meas"},
    {"565", "Utility"},
    {"566", "Gate && Ext"},
    {"567", "Limit Modes"},
    {"568", "Scale && Offset"},
    {"569", "Statistics"},  // the statistics page
    {"581", " Freq"},
    {"582", " Ratio"},
    {"583", "Period"},
    {"584", "Edge"},
    {"585", "Width"},
    {"586", "Intval"},
    {"587", "Rise"},
    {"588", "Fall"},
    {"589", "Volt"},
    {"590", "Mode"},
    {"591", "Show"},
    {"592", "Slow"},
    {"593", "Fast"},
    {"594", "Phase 1to2"},
    {"595", "Duty Cycl"},
    {"596", "Total CH1"},
    {"597", "TimeBase"},
    {"598", "Auto"},
    {"599", "Int"},
    {"600", "Ext"},
    {"601", "Gate"},
    {"602", "Time"},
    {"603", "Digits"},  // the digit gate
    {"604", "Start"},
    {"605", "Stop"},
    {"606", "Upper"},
    {"607", "Lower"},
    {"608", "*OUT"},
    {"609", "Scale"},
    {"610", "Offs"},
    {"611", "Meas"},
    {"612", "Stdev"},
    {"613", "Max"},
    {"614", "Min"},
    {"615", "Mean"},
    {"616", "N CNT"},
    {"617", "Use"},
    {"618", "All"},
    {"619", "InLimit"},
    {"620", "Single"},
    {"621", "Once"},
    {"622", "N"},
    {"625", "Delta"},
    {"628", "OnFail"},
    {"629", "Go On"},
    {"631", "1to2"},
    {"632", "1to3"},
    {"633", "2to1"},
    {"634", "3to1"},
    {"635", "Vpp"},
    {"636", "Vmax"},
    {"637", "Vmin"},
    {"638", "Vc"},
    {"639", "Auto Scale"},
    {"651", "Setting"},
    {"652", "Setting Mode"},
    {"654", "Refresh"},
    {"661", "Record"},
    {"662", "View Record"},
    {"663", "Chart Record"},
    {"671", "Operation"},
    {"672", "Run Start"},
    {"673", "Run Stop"},
    {"681", "Tool"},
    {"682", "Command Control"},
    {"691", "Help"},
    {"692", "About"},
    {"701", "Color Print"},
    {"702", "Change Color"},
    {"703", "Save"},
    {"704", "Please select a record."},
    {"711", "View Record"},
    {"712", "Record List"},
    {"713", "Refresh"},
    {"714", "Delete Record"},
    {"715", "Output to CSV"},
    {"716", "Record Contents"},
    {"717", "Data Quantity :"},
    {"718", "MAX :"},
    {"719", "MIN :"},
    {"720", "AVG :"},
    {"721", "Data Filter"},
    {"722", "HI Limiter"},
    {"723", "LO Limiter"},
    {"724", "Range browsing"},
    {"725", "Search"},
    {"726", "Exit"},
    {"727", "No data in file"},
    {"728", "Are you sure you want to delete this record?"},
    {"729", "Please input a valid value."},
    {"730", "Please re-enter a valid range."},
    {"731", "Please narrow the searching range."},
    {"741", "Chart Record"},
    {"742", "Setting"},
    {"743", "Color Print"},
    {"744", "Change Color"},
    {"745", "Data Quantity："},
    {"746", "Division"},
    {"747", "Draw"},
    {"748", "Clear"},
    {"749", "Drawing with all"},
    {"750", "Drawing data from"},
    {"751", "to"},
    {"752", ""},
    {"753", "Exit"},
    {"754", "Please select a record."},
    {"755", "No records were found."},
    {"766", "Input Data Error! Please re-enter."},
    {"767", "Over-range! Please re-enter."},
    {"768", "Over-range! Please re-enter a Level's value between 5.125 to (-5.125)."},
    {"769", "Over-range! Please re-enter a Level's value between 51.25 to (-51.25)."},
    {"771", "No Device Connected"},
    {"772", "Command Control"},
    {"773", "Send String :"},
    {"774", "String Received :"},
    {"775", "Query"},
    {"776", "Write"},
    {"777", "Read"},
    {"1000", "No Device Connected"},
};

// Texts that read the same as on the counter itself and so stay as they are in every language.
const std::set<std::string> kInstrumentWords = {"CH1",    "CH2",     "CH3",  "AC",   "DC",
                                                "1M ohm", "50 ohms", "1to2", "1to3", "2to1",
                                                "3to1",   "Vpp",     "Vmax", "Vmin", "Vc"};

const char* const kLanguages[] = {kEnglish, kChineseTraditional, kChineseSimplified};

std::size_t LeadingBlanks(std::string_view s) {
  const std::size_t n = s.find_first_not_of(' ');
  return n == std::string_view::npos ? s.size() : n;
}

std::size_t Count(std::string_view s, std::string_view what) {
  std::size_t n = 0;
  for (std::size_t at = s.find(what); at != std::string_view::npos; at = s.find(what, at + 1)) ++n;
  return n;
}

bool HasNonAscii(std::string_view s) {
  for (char c : s) {
    if (static_cast<unsigned char>(c) >= 0x80) return true;
  }
  return false;
}

// The members of a that b lacks, for a readable failure.
std::string Without(const std::set<std::string>& a, const std::set<std::string>& b) {
  std::string out;
  for (const std::string& k : a) {
    if (b.count(k) == 0) out += k + " ";
  }
  return out;
}

class ShippedSettings : public testing::Test {
 protected:
  void SetUp() override {
    // The file as shipped: the source tree's, or the build tree's copy beside bin.
    const char* source = std::getenv("ZC_SOURCE_DIR");
    const char* bin = std::getenv("ZC_BIN_DIR");
    ASSERT_TRUE(source || bin) << "neither ZC_SOURCE_DIR nor ZC_BIN_DIR is set";
    const std::filesystem::path file =
        source ? std::filesystem::path(source) / "frontpanel" / "resources" / kSettingsFileName
               : std::filesystem::path(bin) / ".." / "share" / "zc4100" / kSettingsFileName;
    ASSERT_TRUE(std::filesystem::is_regular_file(file)) << file;
    doc_ = profile::Document::Load(file);
  }

  // The text as the program reads it; "<missing>" can never be a real text.
  std::string Text(const char* language, const char* key) const {
    return doc_.Get(language, key, "<missing>");
  }

  profile::Document doc_;
};

TEST_F(ShippedSettings, EverySectionHoldsEveryKeyAndNoOther) {
  std::set<std::string> known;
  for (const CTextKey& t : kTexts) known.insert(t.key);
  for (const char* language : kLanguages) {
    std::set<std::string> keys;
    for (const auto& [key, value] : doc_.Entries(language)) keys.insert(key);
    EXPECT_EQ(Without(known, keys), "") << language << ": missing";
    EXPECT_EQ(Without(keys, known), "") << language << ": never looked up";
  }
}

TEST_F(ShippedSettings, EnglishIsTheBuiltInText) {
  for (const CTextKey& t : kTexts) EXPECT_EQ(Text(kEnglish, t.key), t.english) << t.key;
}

TEST_F(ShippedSettings, ChineseTextsAreTranslated) {
  for (const char* language : {kChineseTraditional, kChineseSimplified}) {
    for (const CTextKey& t : kTexts) {
      const std::string text = Text(language, t.key);
      ASSERT_NE(text, "<missing>") << language << " " << t.key;
      EXPECT_LT(text.size(), profile::kDefaultBufferSize) << language << " " << t.key;
      // The layout relies on the blanks in front and on "&&" showing an ampersand.
      EXPECT_EQ(LeadingBlanks(text), LeadingBlanks(t.english)) << language << " " << t.key;
      EXPECT_EQ(Count(text, "&&"), Count(t.english, "&&")) << language << " " << t.key;
      if (kInstrumentWords.count(t.english) != 0 || *t.english == '\0') {
        EXPECT_EQ(text, t.english) << language << " " << t.key;
      } else {
        EXPECT_TRUE(HasNonAscii(text)) << language << " " << t.key << " left in English: " << text;
      }
    }
  }
}

TEST_F(ShippedSettings, DataQuantityEndsInFullWidthColon) {
  for (const char* language : kLanguages) {
    const std::string text = Text(language, "745");
    EXPECT_TRUE(text.ends_with("\xEF\xBC\x9A")) << language << ": " << text;
  }
}

}  // namespace
}  // namespace zc::fp
