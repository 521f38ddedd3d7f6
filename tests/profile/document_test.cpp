// Reading and editing profile text in memory: lookups, cutting, and edits that leave the rest of
// the text byte for byte as it was.
#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "profile.h"

namespace zc::profile {
namespace {

struct LookupCase {
  const char* name;
  std::string text;
  std::string section;
  std::string key;
  std::string expected;  // "<def>" when the default must come back
};
void PrintTo(const LookupCase& c, std::ostream* os) {
  *os << c.name;
}

class Lookup : public testing::TestWithParam<LookupCase> {};

TEST_P(Lookup, FindsValueOrDefault) {
  const LookupCase& c = GetParam();
  EXPECT_EQ(Document::Parse(c.text).Get(c.section, c.key, "<def>"), c.expected);
}

const std::string kBom = "\xEF\xBB\xBF";

INSTANTIATE_TEST_SUITE_P(
    Profile, Lookup,
    testing::Values(
        LookupCase{"plain", "[Main]\nRate=10\n", "Main", "Rate", "10"},
        LookupCase{"section_case", "[Main]\nRate=10\n", "mAIN", "Rate", "10"},
        LookupCase{"key_case", "[Main]\nRate=10\n", "Main", "RATE", "10"},
        LookupCase{"trimmed_everywhere", "  [  Main  ]  \n\t Rate \t=\t 10 \t\n", "Main", "Rate",
                   "10"},
        LookupCase{"caller_names_trimmed", "[Main]\nRate=10\n", " Main ", " Rate ", "10"},
        LookupCase{"after_bracket_ignored", "[Main] ; trailing words\nRate=10\n", "Main", "Rate",
                   "10"},
        LookupCase{"commas_kept", "[M]\nList=1, 2,3\n", "M", "List", "1, 2,3"},
        LookupCase{"inner_spaces_kept", "[M]\nName=Zarnith  Counter\n", "M", "Name",
                   "Zarnith  Counter"},
        LookupCase{"second_equals_kept", "[M]\nExpr=a=b==c\n", "M", "Expr", "a=b==c"},
        LookupCase{"semicolon_in_value", "[M]\nA=x ; y\n", "M", "A", "x ; y"},
        LookupCase{"empty_value", "[M]\nA=\n", "M", "A", ""},
        LookupCase{"utf8_untouched", "[Ünïcode]\nKëy=värde €\n", "Ünïcode", "Këy", "värde €"},
        LookupCase{"utf8_not_folded", "[M]\nÄ=1\n", "M", "ä", "<def>"},
        LookupCase{"semicolon_comment", "[M]\n;A=1\n", "M", ";A", "<def>"},
        LookupCase{"hash_comment", "[M]\n# A=1\nA=2\n", "M", "# A", "<def>"},
        LookupCase{"indented_comment", "[M]\n   ; A=1\nA=2\n", "M", "A", "2"},
        LookupCase{"malformed_lines_skipped", "[M]\nno equals here\n[broken\n=orphan\nA=1\n", "M",
                   "A", "1"},
        LookupCase{"unclosed_header_not_a_section", "[M]\n[Other\nA=1\n", "M", "A", "1"},
        LookupCase{"empty_key_unreachable", "[M]\n=orphan\n", "M", "", "<def>"},
        LookupCase{"key_before_any_header", "A=1\n[M]\nB=2\n", "", "A", "<def>"},
        LookupCase{"empty_section_name", "[]\nA=1\n", "", "A", "1"},
        LookupCase{"missing_section", "[M]\nA=1\n", "N", "A", "<def>"},
        LookupCase{"missing_key", "[M]\nA=1\n", "M", "B", "<def>"},
        LookupCase{"key_in_other_section", "[M]\nA=1\n[N]\nB=2\n", "M", "B", "<def>"},
        LookupCase{"empty_text", "", "M", "A", "<def>"},
        LookupCase{"duplicate_key_first_wins", "[M]\nA=1\na=2\n", "M", "A", "1"},
        LookupCase{"duplicate_section_first_wins", "[M]\nA=1\n[m]\nA=2\n", "M", "A", "1"},
        LookupCase{"only_first_section_block", "[M]\nA=1\n[N]\n[M]\nB=2\n", "M", "B", "<def>"},
        LookupCase{"crlf", "[M]\r\nA=1\r\nB=2\r\n", "M", "B", "2"},
        LookupCase{"mixed_line_ends", "[M]\r\nA=1\nB=2\r\n", "M", "A", "1"},
        LookupCase{"no_final_line_end", "[M]\nA=1", "M", "A", "1"},
        LookupCase{"bom_skipped", kBom + "[M]\nA=1\n", "M", "A", "1"},
        LookupCase{"nul_byte_in_value", std::string("[M]\nA=x\0y\n", 10), "M", "A",
                   std::string("x\0y", 3)}),
    [](const testing::TestParamInfo<LookupCase>& info) { return std::string(info.param.name); });

struct CutCase {
  const char* name;
  std::string value;
  std::size_t bufferSize;
  std::string expected;
};
void PrintTo(const CutCase& c, std::ostream* os) {
  *os << c.name;
}

class Cutting : public testing::TestWithParam<CutCase> {};

TEST_P(Cutting, CutsToBufferWithoutSplittingCharacters) {
  const CutCase& c = GetParam();
  const Document doc = Document::Parse("[M]\nA=" + c.value + "\n");
  EXPECT_EQ(doc.Get("M", "A", "", c.bufferSize), c.expected);
  // The default passes through the same buffer.
  EXPECT_EQ(doc.Get("M", "missing", c.value, c.bufferSize), c.expected);
}

const std::string k300(300, 'x');
const std::string k255(255, 'x');
const std::string kEuro = "\xE2\x82\xAC";  // three bytes

INSTANTIATE_TEST_SUITE_P(
    Profile, Cutting,
    testing::Values(CutCase{"default_255", k300, kDefaultBufferSize, k255},
                    CutCase{"exactly_fits", k255, kDefaultBufferSize, k255},
                    CutCase{"buffer_zero", "abc", 0, ""}, CutCase{"buffer_one", "abc", 1, ""},
                    CutCase{"small_buffer", "abcdef", 4, "abc"},
                    CutCase{"euro_whole", "a" + kEuro, 5, "a" + kEuro},
                    CutCase{"euro_cut_after_lead", "a" + kEuro, 3, "a"},
                    CutCase{"euro_cut_mid", "a" + kEuro, 4, "a"},
                    CutCase{"two_byte_cut", "ab\xC3\xA4", 4, "ab"},
                    CutCase{"four_byte_cut", "a\xF0\x9F\x98\x80z", 5, "a"},
                    CutCase{"boundary_at_255", std::string(254, 'x') + kEuro, kDefaultBufferSize,
                            std::string(254, 'x')},
                    // Not UTF-8: a long run of continuation bytes is cut where the buffer ends.
                    CutCase{"stray_continuations", std::string(6, '\x80'), 4,
                            std::string(3, '\x80')}),
    [](const testing::TestParamInfo<CutCase>& info) { return std::string(info.param.name); });

// Values are read as Windows reads them: one pair of matching quotes around the whole value is
// dropped, the caller's default loses its trailing blanks, and only then is the text cut.
struct ReadCase {
  const char* name;
  std::optional<std::string> value;  // what follows "A=" in the file; nullopt: no such key
  std::string def;
  std::size_t bufferSize;
  std::string expected;
};
void PrintTo(const ReadCase& c, std::ostream* os) {
  *os << c.name;
}

class Reading : public testing::TestWithParam<ReadCase> {};

TEST_P(Reading, UnquotesValuesAndTrimsDefaults) {
  const ReadCase& c = GetParam();
  const Document doc = Document::Parse(c.value ? "[M]\nA=" + *c.value + "\nB=1\n" : "[M]\nB=1\n");
  EXPECT_EQ(doc.Get("M", "A", c.def, c.bufferSize), c.expected);
  if (c.value) {
    // A listing of the section reads the value the same way.
    const auto entries = doc.Entries("M");
    ASSERT_FALSE(entries.empty());
    EXPECT_EQ(entries.front().second, doc.Get("M", "A", c.def, std::string::npos));
  } else {
    // Missing section and missing file give the same default as a missing key.
    EXPECT_EQ(doc.Get("N", "A", c.def, c.bufferSize), c.expected);
    EXPECT_EQ(Document().Get("M", "A", c.def, c.bufferSize), c.expected);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Profile, Reading,
    testing::Values(
        ReadCase{"double_quotes_keep_leading_blanks", "\"  x\"", "", kDefaultBufferSize, "  x"},
        ReadCase{"single_quotes", "'a'", "", kDefaultBufferSize, "a"},
        ReadCase{"trailing_blanks_inside_quotes", "\"a  \"  ", "", kDefaultBufferSize, "a  "},
        ReadCase{"empty_quotes", "\"\"", "<def>", kDefaultBufferSize, ""},
        ReadCase{"empty_single_quotes", "''", "<def>", kDefaultBufferSize, ""},
        ReadCase{"lone_quote", "\"", "", kDefaultBufferSize, "\""},
        ReadCase{"mismatched_quotes", "\"a'", "", kDefaultBufferSize, "\"a'"},
        ReadCase{"opening_quote_only", "\"a", "", kDefaultBufferSize, "\"a"},
        ReadCase{"closing_quote_only", "a\"", "", kDefaultBufferSize, "a\""},
        ReadCase{"quotes_not_at_start", "x\"y\"", "", kDefaultBufferSize, "x\"y\""},
        ReadCase{"only_the_outer_pair", "\"\"a\"\"", "", kDefaultBufferSize, "\"a\""},
        ReadCase{"inner_quotes_kept", "\"say \"hi\"\"", "", kDefaultBufferSize, "say \"hi\""},
        ReadCase{"other_quote_inside", "'it\"s'", "", kDefaultBufferSize, "it\"s"},
        ReadCase{"separate_quoted_words", "\"a\" \"b\"", "", kDefaultBufferSize, "a\" \"b"},
        ReadCase{"utf8_in_quotes", "\"  \xE8\xA1\xB0\xE6\xB8\x9B\"", "", kDefaultBufferSize,
                 "  \xE8\xA1\xB0\xE6\xB8\x9B"},
        ReadCase{"unquoted_then_cut", "\"" + std::string(300, 'x') + "\"", "", kDefaultBufferSize,
                 std::string(255, 'x')},
        ReadCase{"quotes_do_not_count_against_buffer", "\"abc\"", "", 4, "abc"},
        ReadCase{"cut_inside_quoted_text", "\"abcdef\"", "", 3, "ab"},
        ReadCase{"default_trailing_blanks_dropped", std::nullopt, "abc   ", kDefaultBufferSize,
                 "abc"},
        ReadCase{"default_trailing_tab_dropped", std::nullopt, "abc \t", kDefaultBufferSize, "abc"},
        ReadCase{"default_leading_blanks_kept", std::nullopt, "  abc", kDefaultBufferSize, "  abc"},
        ReadCase{"default_all_blanks", std::nullopt, "   ", kDefaultBufferSize, ""},
        ReadCase{"default_quotes_kept", std::nullopt, "'abc'", kDefaultBufferSize, "'abc'"},
        ReadCase{"default_trimmed_then_cut", std::nullopt, "abcd   ", 4, "abc"},
        // A value that is present is never trimmed of what its quotes protect, nor replaced.
        ReadCase{"value_wins_over_default", "' '", "abc", kDefaultBufferSize, " "}),
    [](const testing::TestParamInfo<ReadCase>& info) { return std::string(info.param.name); });

struct EditCase {
  const char* name;
  std::string before;
  std::string section;
  std::string key;
  std::string value;
  std::string after;  // the whole text expected after the edit
};
void PrintTo(const EditCase& c, std::ostream* os) {
  *os << c.name;
}

class Editing : public testing::TestWithParam<EditCase> {};

TEST_P(Editing, ChangesOnlyWhatTheEditNeeds) {
  const EditCase& c = GetParam();
  Document doc = Document::Parse(c.before);
  doc.Set(c.section, c.key, c.value);
  EXPECT_EQ(doc.Serialize(), c.after);
  // The edited document answers exactly as a fresh parse of its text does.
  const Document again = Document::Parse(doc.Serialize());
  EXPECT_EQ(doc.Get(c.section, c.key, "<def>"), again.Get(c.section, c.key, "<def>"));
  EXPECT_NE(doc.Get(c.section, c.key, "<def>"), "<def>");
  EXPECT_EQ(doc.Sections(), again.Sections());
  for (const std::string& s : again.Sections()) EXPECT_EQ(doc.Entries(s), again.Entries(s)) << s;
}

const std::string kFile =
    "; front panel texts\n"
    "[Display]\n"
    "Title = Counter   \n"
    "Digits=10\n"
    "; leads into the next section\n"
    "\n"
    "[Gate]\n"
    "Time=1s\n"
    "\n";

INSTANTIATE_TEST_SUITE_P(
    Profile, Editing,
    testing::Values(
        EditCase{"replace_keeps_spacing_and_spelling", kFile, "display", "TITLE", "Meter",
                 "; front panel texts\n[Display]\nTitle = Meter\nDigits=10\n"
                 "; leads into the next section\n\n[Gate]\nTime=1s\n\n"},
        EditCase{"replace_empty_value", "[M]\nA=\nB=2\n", "M", "A", "1", "[M]\nA=1\nB=2\n"},
        EditCase{"replace_with_equals_and_quotes", "[M]\nA=1\n", "M", "A", "\"x=y\", z",
                 "[M]\nA=\"x=y\", z\n"},
        EditCase{"add_key_mid_file", kFile, "Display", "Mode", "Freq",
                 "; front panel texts\n[Display]\nTitle = Counter   \nDigits=10\nMode=Freq\n"
                 "; leads into the next section\n\n[Gate]\nTime=1s\n\n"},
        EditCase{"add_key_before_trailing_blanks", kFile, "Gate", "Slope", "Pos",
                 "; front panel texts\n[Display]\nTitle = Counter   \nDigits=10\n"
                 "; leads into the next section\n\n[Gate]\nTime=1s\nSlope=Pos\n\n"},
        EditCase{"add_key_to_empty_section", "[A]\n\n[B]\nX=1\n", "A", "K", "v",
                 "[A]\nK=v\n\n[B]\nX=1\n"},
        EditCase{"add_key_after_last_line_without_end", "[A]\nX=1", "A", "K", "v",
                 "[A]\nX=1\nK=v\n"},
        EditCase{"add_section_after_blank_line", kFile, "Input", "Coupling", "AC",
                 kFile + "[Input]\nCoupling=AC\n"},
        EditCase{"add_section_inserts_blank_line", "[A]\nX=1\n", "B", "K", "v",
                 "[A]\nX=1\n\n[B]\nK=v\n"},
        EditCase{"add_section_no_final_line_end", "[A]\nX=1", "B", "K", "v",
                 "[A]\nX=1\n\n[B]\nK=v\n"},
        EditCase{"add_section_to_empty_text", "", "B", "K", "v", "[B]\nK=v\n"},
        EditCase{"names_trimmed_when_added", "", " B ", " K ", "v", "[B]\nK=v\n"},
        EditCase{"crlf_replace", "[A]\r\nX=1\r\nY=2\r\n", "A", "X", "9", "[A]\r\nX=9\r\nY=2\r\n"},
        EditCase{"crlf_add_key", "[A]\r\nX=1\r\n\r\n", "A", "Y", "2", "[A]\r\nX=1\r\nY=2\r\n\r\n"},
        EditCase{"crlf_add_section", "[A]\r\nX=1\r\n", "B", "Y", "2",
                 "[A]\r\nX=1\r\n\r\n[B]\r\nY=2\r\n"},
        EditCase{"bom_kept", kBom + "[A]\nX=1\n", "A", "X", "2", kBom + "[A]\nX=2\n"},
        EditCase{"bom_only_file", kBom, "A", "X", "2", kBom + "[A]\nX=2\n"},
        EditCase{"duplicate_key_first_changed", "[A]\nX=1\nx=2\n", "A", "X", "9",
                 "[A]\nX=9\nx=2\n"},
        EditCase{"duplicate_section_first_gets_key", "[A]\nX=1\n[B]\n[a]\nY=2\n", "A", "Y", "9",
                 "[A]\nX=1\nY=9\n[B]\n[a]\nY=2\n"},
        EditCase{"key_before_header_not_touched", "X=1\n[A]\n", "A", "X", "2", "X=1\n[A]\nX=2\n"},
        EditCase{"comment_that_looks_like_key", "[A]\n;X=1\n", "A", "X", "2", "[A]\nX=2\n;X=1\n"},
        EditCase{"utf8_value", "[A]\nX=1\n", "A", "X", "Grüße €", "[A]\nX=Grüße €\n"}),
    [](const testing::TestParamInfo<EditCase>& info) { return std::string(info.param.name); });

struct RefusedCase {
  const char* name;
  std::string section;
  std::string key;
  std::string value;
};
void PrintTo(const RefusedCase& c, std::ostream* os) {
  *os << c.name;
}

class Refused : public testing::TestWithParam<RefusedCase> {};

TEST_P(Refused, LeavesTextUnchanged) {
  const RefusedCase& c = GetParam();
  const std::string text = "[A]\nX=1\n";
  Document doc = Document::Parse(text);
  doc.Set(c.section, c.key, c.value);
  EXPECT_EQ(doc.Serialize(), text);
}

INSTANTIATE_TEST_SUITE_P(Profile, Refused,
                         testing::Values(RefusedCase{"section_newline", "A\nB", "X", "1"},
                                         RefusedCase{"section_cr", "A\rB", "X", "1"},
                                         RefusedCase{"section_bracket", "A]B", "X", "1"},
                                         RefusedCase{"key_newline", "A", "X\nY", "1"},
                                         RefusedCase{"key_equals", "A", "X=Y", "1"},
                                         RefusedCase{"key_empty", "A", "  ", "1"},
                                         RefusedCase{"key_looks_like_header", "A", "[X]", "1"},
                                         RefusedCase{"key_looks_like_comment", "A", ";X", "1"},
                                         RefusedCase{"key_looks_like_hash_comment", "A", "#X", "1"},
                                         RefusedCase{"value_newline", "A", "X", "1\n[B]"},
                                         RefusedCase{"value_crlf", "A", "X", "1\r\n"}),
                         [](const testing::TestParamInfo<RefusedCase>& info) {
                           return std::string(info.param.name);
                         });

TEST(ProfileDocument, ParseThenSerializeGivesBackTheSameBytes) {
  const std::string texts[] = {"",
                               "\n",
                               "\r\n\r\n",
                               "no line end",
                               "[A]\r\nX=1\nY=2\r\n\rZ=3\r",
                               kBom,
                               kBom + kBom + "[A]",
                               std::string("[A\0]\n\0=\0\n", 10),
                               "  [ A ] tail\n  k  =  v  \n;c\n#c\n[\n]\n=\n"};
  for (const std::string& text : texts) {
    EXPECT_EQ(Document::Parse(text).Serialize(), text);
  }
}

TEST(ProfileDocument, SectionsAndEntriesInFileOrderFirstOccurrenceOnly) {
  const Document doc =
      Document::Parse("X=before\n[B]\nk2 = 2\nK1=1\nk2=dup\n; c\nbad\n[a]\nz=1\n[b]\nk3=3\n[]\n");
  EXPECT_EQ(doc.Sections(), (std::vector<std::string>{"B", "a", ""}));
  EXPECT_EQ(doc.Entries("b"),
            (std::vector<std::pair<std::string, std::string>>{{"k2", "2"}, {"K1", "1"}}));
  EXPECT_TRUE(doc.Entries("missing").empty());
  EXPECT_TRUE(doc.Entries("").empty());
  EXPECT_TRUE(doc.HasSection(" A "));
  EXPECT_TRUE(doc.HasSection(""));
  EXPECT_FALSE(doc.HasSection("C"));
  EXPECT_TRUE(Document().Sections().empty());
}

TEST(ProfileDocument, ManyKeysAndEditsStayConsistent) {
  std::string text = "[Texts]\n";
  for (int i = 0; i < 10000; ++i)
    text += "Key" + std::to_string(i) + "=Value" + std::to_string(i) + "\n";
  text += "[Tail]\nEnd=1\n";
  Document doc = Document::Parse(text);
  for (int i = 0; i < 10000; i += 10) {
    ASSERT_EQ(doc.Get("TEXTS", "key" + std::to_string(i), ""), "Value" + std::to_string(i));
  }
  // Insertions shift the lines after them; lookups must keep pointing at the right ones.
  for (int i = 0; i < 50; ++i) doc.Set("Texts", "New" + std::to_string(i), std::to_string(i));
  doc.Set("Texts", "Key9999", "changed");
  EXPECT_EQ(doc.Get("Texts", "Key9999", ""), "changed");
  EXPECT_EQ(doc.Get("Texts", "New49", ""), "49");
  EXPECT_EQ(doc.Get("Tail", "End", ""), "1");
  const Document again = Document::Parse(doc.Serialize());
  EXPECT_EQ(again.Entries("Texts").size(), 10050u);
  EXPECT_EQ(again.Entries("Texts").back(), (std::pair<std::string, std::string>{"New49", "49"}));
}

}  // namespace
}  // namespace zc::profile
