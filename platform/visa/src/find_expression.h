// VISA resource regular expressions, as viFindRsrc takes them.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace zc::visa {

// A compiled find expression. Matching is case-insensitive and covers the whole name.
// Grammar: '?' any one character, '*' zero or more of the preceding item, '+' one or more,
// "[list]" and "[^list]" with ranges "a-z", '\' takes the next character literally,
// '|' alternation and '(' ')' grouping. Anything else matches itself.
class FindExpression {
 public:
  // Returns nullptr and fills *error when the expression is malformed.
  static std::unique_ptr<FindExpression> Compile(std::string_view expression, std::string* error);
  virtual ~FindExpression() = default;
  virtual bool Matches(std::string_view resourceName) const = 0;
};

}  // namespace zc::visa
