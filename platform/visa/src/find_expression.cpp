#include "find_expression.h"

#include <bitset>
#include <cstdint>
#include <vector>

namespace zc::visa {
namespace {

// Expressions are short in practice; the caps bound compile time, program size and the
// parser's recursion whatever a caller passes.
constexpr std::size_t kMaxExpressionLength = 4096;
constexpr int kMaxGroupDepth = 64;

unsigned char Fold(unsigned char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

using CharSet = std::bitset<256>;

// Syntax tree of one expression. Nodes live in one vector and refer to each other by index.
struct Node {
  enum class Kind { Set, Concat, Alternate, Star, Plus } kind;
  int set = -1;                // Set: index into the set table
  std::vector<int> children;   // Concat, Alternate: the parts; Star, Plus: the one repeated item
};

// Program of a Thompson machine: every thread sits on one instruction, and the whole set of
// threads advances one character at a time, so matching never backtracks.
struct Instruction {
  enum class Op { Set, Split, Jump, Match } op;
  int set = -1;  // Set: the characters that let a thread advance
  int x = -1;    // Split, Jump: target; Split also tries y
  int y = -1;
};

class Parser {
 public:
  Parser(std::string_view text, std::vector<Node>& nodes, std::vector<CharSet>& sets)
      : text_(text), nodes_(nodes), sets_(sets) {}

  // Returns the root node, or -1 with error() filled.
  int Run() {
    const int root = Alternation(0);
    if (root < 0) return -1;
    if (pos_ < text_.size()) {
      // Alternation stops only at ')' or the end; here there was no '(' to close.
      return Fail("')' at offset " + std::to_string(pos_) + " has no matching '('");
    }
    return root;
  }

  const std::string& error() const { return error_; }

 private:
  int Fail(const std::string& why) {
    if (error_.empty()) error_ = why;
    return -1;
  }

  int Add(Node node) {
    nodes_.push_back(std::move(node));
    return static_cast<int>(nodes_.size() - 1);
  }

  int AddSet(const CharSet& set) {
    sets_.push_back(set);
    return Add(Node{Node::Kind::Set, static_cast<int>(sets_.size() - 1), {}});
  }

  static CharSet Single(unsigned char c) {
    CharSet s;
    s.set(Fold(c));
    return s;
  }

  int Alternation(int depth) {
    std::vector<int> options;
    while (true) {
      const std::size_t start = pos_;
      const int branch = Sequence(depth);
      if (branch < 0) {
        if (!error_.empty()) return -1;
        if (depth == 0 && pos_ < text_.size() && text_[pos_] == ')') {
          return Fail("')' at offset " + std::to_string(pos_) + " has no matching '('");
        }
        return Fail(pos_ == 0 && text_.empty() ? std::string("the expression is empty")
                                                : "empty alternative at offset " + std::to_string(start));
      }
      options.push_back(branch);
      if (pos_ < text_.size() && text_[pos_] == '|') {
        ++pos_;
        continue;
      }
      break;
    }
    if (options.size() == 1) return options[0];
    return Add(Node{Node::Kind::Alternate, -1, std::move(options)});
  }

  // Returns -1 with no error when the sequence is empty, so the caller can say why.
  int Sequence(int depth) {
    std::vector<int> items;
    while (pos_ < text_.size() && text_[pos_] != '|' && text_[pos_] != ')') {
      const int item = Repetition(depth);
      if (item < 0) return -1;
      items.push_back(item);
    }
    if (items.empty()) return -1;
    if (items.size() == 1) return items[0];
    return Add(Node{Node::Kind::Concat, -1, std::move(items)});
  }

  int Repetition(int depth) {
    int item = Atom(depth);
    if (item < 0) return -1;
    while (pos_ < text_.size() && (text_[pos_] == '*' || text_[pos_] == '+')) {
      const bool star = text_[pos_] == '*';
      ++pos_;
      Node& inner = nodes_[static_cast<std::size_t>(item)];
      // Repeating a repetition adds nothing but a longer program: x** is x*, x+* is x*.
      if (inner.kind == Node::Kind::Star) continue;
      if (inner.kind == Node::Kind::Plus) {
        if (star) inner.kind = Node::Kind::Star;
        continue;
      }
      item = Add(Node{star ? Node::Kind::Star : Node::Kind::Plus, -1, {item}});
    }
    return item;
  }

  int Atom(int depth) {
    const std::size_t at = pos_;
    const auto c = static_cast<unsigned char>(text_[pos_]);
    switch (c) {
      case '*':
      case '+':
        return Fail(std::string("'") + static_cast<char>(c) + "' at offset " + std::to_string(at) +
                    " has nothing before it to repeat");
      case '?': {
        ++pos_;
        CharSet all;
        all.set();
        return AddSet(all);
      }
      case '\\':
        if (pos_ + 1 >= text_.size()) return Fail("the expression ends with a lone '\\'");
        pos_ += 2;
        return AddSet(Single(static_cast<unsigned char>(text_[at + 1])));
      case '[':
        return BracketList();
      case ']':
        return Fail("']' at offset " + std::to_string(at) + " has no matching '['");
      case '{':
      case '}':
        return Fail("attribute expressions ('{...}' at offset " + std::to_string(at) +
                    ") are not supported; use \\" + static_cast<char>(c) + " for a literal brace");
      case '(': {
        if (depth >= kMaxGroupDepth) {
          return Fail("parentheses are nested more than " + std::to_string(kMaxGroupDepth) +
                      " deep");
        }
        ++pos_;
        if (pos_ < text_.size() && text_[pos_] == ')') {
          return Fail("empty group '()' at offset " + std::to_string(at));
        }
        const int inner = Alternation(depth + 1);
        if (inner < 0) return -1;
        if (pos_ >= text_.size()) return Fail("'(' at offset " + std::to_string(at) + " is never closed");
        ++pos_;  // ')'
        return inner;
      }
      default:
        ++pos_;
        return AddSet(Single(c));
    }
  }

  // Reads one member of a bracket list, honouring '\'. False at the end of the text.
  bool ListChar(unsigned char& out) {
    if (pos_ >= text_.size()) return false;
    if (text_[pos_] == '\\') {
      if (pos_ + 1 >= text_.size()) return false;
      out = static_cast<unsigned char>(text_[pos_ + 1]);
      pos_ += 2;
      return true;
    }
    out = static_cast<unsigned char>(text_[pos_++]);
    return true;
  }

  int BracketList() {
    const std::size_t open = pos_++;
    const auto unclosed = [&] { return Fail("'[' at offset " + std::to_string(open) + " is never closed"); };
    bool negate = false;
    if (pos_ < text_.size() && text_[pos_] == '^') {
      negate = true;
      ++pos_;
    }
    CharSet set;
    bool any = false;
    while (true) {
      if (pos_ >= text_.size()) return unclosed();
      if (text_[pos_] == ']') {
        ++pos_;
        break;
      }
      unsigned char lo = 0;
      if (!ListChar(lo)) return unclosed();
      unsigned char hi = lo;
      // '-' between two members makes a range; first or last in the list it is itself.
      if (pos_ + 1 < text_.size() && text_[pos_] == '-' && text_[pos_ + 1] != ']') {
        ++pos_;
        if (!ListChar(hi)) return unclosed();
        if (hi < lo) {
          return Fail("range '" + std::string(1, static_cast<char>(lo)) + "-" +
                      std::string(1, static_cast<char>(hi)) + "' in the list at offset " +
                      std::to_string(open) + " runs backwards");
        }
      }
      for (unsigned v = lo; v <= hi; ++v) {
        const auto ch = static_cast<unsigned char>(v);
        set.set(ch);
        // Matching ignores case, so each letter brings its other case along.
        if (ch >= 'a' && ch <= 'z') set.set(ch - 'a' + 'A');
        if (ch >= 'A' && ch <= 'Z') set.set(ch - 'A' + 'a');
      }
      any = true;
    }
    if (!any) return Fail("empty list '[]' at offset " + std::to_string(open));
    if (negate) set.flip();
    return AddSet(set);
  }

  std::string_view text_;
  std::size_t pos_ = 0;
  std::vector<Node>& nodes_;
  std::vector<CharSet>& sets_;
  std::string error_;
};

class Compiled final : public FindExpression {
 public:
  Compiled(const std::vector<Node>& nodes, std::vector<CharSet> sets, int root)
      : sets_(std::move(sets)) {
    Emit(nodes, root);
    program_.push_back(Instruction{Instruction::Op::Match});
  }

  bool Matches(std::string_view name) const override {
    const std::size_t n = program_.size();
    // Each list holds the instructions of the live threads; `mark` stamps which are already in
    // the list for the current step so a thread is never added twice.
    std::vector<int> current;
    std::vector<int> next;
    std::vector<int> stack;
    std::vector<std::size_t> mark(n, 0);
    current.reserve(n);
    next.reserve(n);
    std::size_t step = 1;
    AddThread(0, current, mark, step, stack);
    for (const char raw : name) {
      const unsigned char c = Fold(static_cast<unsigned char>(raw));
      ++step;
      next.clear();
      for (const int pc : current) {
        const Instruction& ins = program_[static_cast<std::size_t>(pc)];
        if (ins.op == Instruction::Op::Set && sets_[static_cast<std::size_t>(ins.set)].test(c)) {
          AddThread(pc + 1, next, mark, step, stack);
        }
      }
      current.swap(next);
      if (current.empty()) return false;
    }
    for (const int pc : current) {
      if (program_[static_cast<std::size_t>(pc)].op == Instruction::Op::Match) return true;
    }
    return false;
  }

 private:
  // Follows jumps and splits without consuming input; keeps only instructions that wait for a
  // character or accept. Iterative so that long chains of splits cannot exhaust the stack.
  void AddThread(int start, std::vector<int>& list, std::vector<std::size_t>& mark,
                 std::size_t step, std::vector<int>& stack) const {
    stack.clear();
    stack.push_back(start);
    while (!stack.empty()) {
      const int pc = stack.back();
      stack.pop_back();
      auto& seen = mark[static_cast<std::size_t>(pc)];
      if (seen == step) continue;
      seen = step;
      const Instruction& ins = program_[static_cast<std::size_t>(pc)];
      switch (ins.op) {
        case Instruction::Op::Jump:
          stack.push_back(ins.x);
          break;
        case Instruction::Op::Split:
          stack.push_back(ins.y);
          stack.push_back(ins.x);
          break;
        case Instruction::Op::Set:
        case Instruction::Op::Match:
          list.push_back(pc);
          break;
      }
    }
  }

  int Here() const { return static_cast<int>(program_.size()); }

  int Emit(Instruction::Op op) {
    program_.push_back(Instruction{op});
    return Here() - 1;
  }

  void Emit(const std::vector<Node>& nodes, int index) {
    const Node& node = nodes[static_cast<std::size_t>(index)];
    switch (node.kind) {
      case Node::Kind::Set: {
        const int at = Emit(Instruction::Op::Set);
        program_[static_cast<std::size_t>(at)].set = node.set;
        break;
      }
      case Node::Kind::Concat:
        for (const int child : node.children) Emit(nodes, child);
        break;
      case Node::Kind::Alternate: {
        // split L1, next; L1: a; jump end; next: split L2, ...; last: z; end:
        std::vector<int> jumps;
        for (std::size_t i = 0; i < node.children.size(); ++i) {
          const bool last = i + 1 == node.children.size();
          int split = -1;
          if (!last) {
            split = Emit(Instruction::Op::Split);
            program_[static_cast<std::size_t>(split)].x = Here();
          }
          Emit(nodes, node.children[i]);
          if (!last) {
            jumps.push_back(Emit(Instruction::Op::Jump));
            program_[static_cast<std::size_t>(split)].y = Here();
          }
        }
        for (const int j : jumps) program_[static_cast<std::size_t>(j)].x = Here();
        break;
      }
      case Node::Kind::Star: {
        // top: split body, out; body; jump top; out:
        const int top = Emit(Instruction::Op::Split);
        program_[static_cast<std::size_t>(top)].x = Here();
        Emit(nodes, node.children[0]);
        const int back = Emit(Instruction::Op::Jump);
        program_[static_cast<std::size_t>(back)].x = top;
        program_[static_cast<std::size_t>(top)].y = Here();
        break;
      }
      case Node::Kind::Plus: {
        // body: ...; split body, out; out:
        const int body = Here();
        Emit(nodes, node.children[0]);
        const int split = Emit(Instruction::Op::Split);
        program_[static_cast<std::size_t>(split)].x = body;
        program_[static_cast<std::size_t>(split)].y = Here();
        break;
      }
    }
  }

  std::vector<CharSet> sets_;
  std::vector<Instruction> program_;
};

}  // namespace

std::unique_ptr<FindExpression> FindExpression::Compile(std::string_view expression,
                                                        std::string* error) {
  const auto fail = [&](std::string why) -> std::unique_ptr<FindExpression> {
    if (error != nullptr) *error = std::move(why);
    return nullptr;
  };
  if (expression.empty()) return fail("the expression is empty");
  if (expression.size() > kMaxExpressionLength) {
    return fail("the expression is " + std::to_string(expression.size()) +
                " characters long, at most " + std::to_string(kMaxExpressionLength) +
                " are allowed");
  }
  std::vector<Node> nodes;
  std::vector<CharSet> sets;
  Parser parser(expression, nodes, sets);
  const int root = parser.Run();
  if (root < 0) return fail("invalid find expression: " + parser.error());
  if (error != nullptr) error->clear();
  return std::make_unique<Compiled>(nodes, std::move(sets), root);
}

}  // namespace zc::visa
