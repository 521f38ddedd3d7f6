// SCPI syntax shared by the command table: splitting a program message into commands, reading a
// header and its parameters, numbers with unit suffixes, header patterns, and reply formatting.
// Nothing here knows about the counter itself.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zc::sim::scpi {

// Error codes of the SCPI error queue this model raises.
enum ErrorCode : int {
  kNoError = 0,
  kSyntaxError = -102,
  kParameterNotAllowed = -108,
  kMissingParameter = -109,
  kUndefinedHeader = -113,
  kIllegalParameterValue = -224,
  kQueueOverflow = -350,
  kQueryInterrupted = -410,
  kQueryUnterminated = -420,
};
const char* ErrorText(int code);

// SCPI white space: every control character and the blank, except the line feed that ends a
// message. A NUL counts too, which is how trailing zero bytes from C callers are forgiven.
inline bool IsBlank(char c) {
  return c != '\n' && static_cast<unsigned char>(c) <= 0x20;
}
std::string_view Trim(std::string_view s);
std::string Upper(std::string_view s);
bool EqualsNoCase(std::string_view a, std::string_view b);

// Splits at ';' outside quoted strings. Empty pieces are kept (the caller skips them).
std::vector<std::string_view> SplitCommands(std::string_view message);

struct Mnemonic {
  std::string name;  // upper case, without its numeric suffix
  int suffix = -1;   // -1: none written
};

struct Param {
  enum class Kind { Token, String, ChannelList };
  Kind kind = Kind::Token;
  std::string text;  // Token: as written, trimmed; String: unquoted; ChannelList: inside "(@ )"
};

struct Command {
  bool common = false;    // "*IDN?" and friends
  bool absolute = false;  // written with a leading ':'
  bool query = false;
  std::string commonName;  // upper case, without '*' and '?'
  std::vector<Mnemonic> path;
  std::vector<Param> params;
};

// Parses one command (the text between ';'). Returns kNoError, or kSyntaxError when the text
// is not a well-formed header and parameter list. An empty command gives an empty path.
int ParseCommand(std::string_view text, Command* out);

// A header pattern such as "[SENSe:]FREQuency:ARM[:STARt]:SOURce". A node accepts its short form
// (the upper-case letters) or its long form. "EVENt#2" takes a numeric suffix 1..2 and reports it;
// "CALCulate3" accepts only suffix 3; a node without either accepts no suffix or suffix 1.
class Pattern {
 public:
  explicit Pattern(std::string_view text);
  // On a match, *suffixes gets one entry per '#' node, in order.
  bool Match(const std::vector<Mnemonic>& input, std::vector<int>* suffixes) const;

 private:
  struct Node {
    std::string longForm;
    std::string shortForm;
    bool optional = false;
    int fixedSuffix = 1;  // 0: captured
    int maxSuffix = 1;
  };
  bool MatchFrom(std::size_t node, const std::vector<Mnemonic>& input, std::size_t at,
                 std::vector<int>* suffixes) const;
  std::vector<Node> nodes_;
};

// True when an upper-case word is the short or long form of a mixed-case mnemonic ("EXTernal").
bool MatchesMnemonic(std::string_view upperWord, std::string_view mnemonic);
// The short form of a mixed-case mnemonic: its upper-case letters and digits.
std::string ShortForm(std::string_view mnemonic);

// A decimal number ("-1.25", ".5E3", "#H1F"), optionally followed by blanks and a suffix made of
// an SI multiplier and a unit ("5 KHZ", "2 mS", "1 uDeg", "3 MHZ" = megahertz, "MA" = mega).
// The unit itself is not checked against the quantity. False for anything else.
bool ParseNumber(std::string_view token, double* value);

// Channel list contents such as "1" or "1,2" (from "(@1,2)").
bool ParseChannelList(std::string_view text, std::vector<int>* channels);

// The counter's number format: sign, one digit, '.', 11 digits, 'E', sign, 3 exponent digits.
std::string FormatE(double value);

}  // namespace zc::sim::scpi
