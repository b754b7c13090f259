#include "server/protocol/request_parser.h"

#include <strings.h>

#include <cctype>
#include <charconv>
#include <sstream>
#include <vector>

namespace {

enum class TokenType { Word, Number, Text, Symbol };

struct Token {
  TokenType type;
  std::string text;  // for Text: the value with the quotes removed
};

const char* const TWO_CHAR_SYMBOLS[] = {"<=", ">=", "<>", "!="};
const char ONE_CHAR_SYMBOLS[] = "(),;*=<>";
constexpr const char* NOT_ALLOWED = "statement not allowed";
// Parentheses may nest this deep around an observation condition.
constexpr int MAX_NESTING = 16;
// More tokens than any allowed statement has (eight parts of sixteen
// comparisons are about a thousand): a longer statement is refused before
// it is cut up, so its memory stays in proportion to the body.
constexpr size_t MAX_TOKENS = 2048;

bool IsWordStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool IsWordPart(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool SameWord(const std::string& a, const char* b) { return strcasecmp(a.c_str(), b) == 0; }

// Reads a quoted text starting at the quote at `pos`; a doubled quote stands
// for one quote. Returns false when the text is not closed.
bool ReadQuoted(const std::string& sql, size_t& pos, std::string& value) {
  for (size_t i = pos + 1; i < sql.size(); ++i) {
    if (sql[i] != '\'') {
      value += sql[i];
    } else if (i + 1 < sql.size() && sql[i + 1] == '\'') {
      value += '\'';
      ++i;
    } else {
      pos = i + 1;
      return true;
    }
  }
  return false;
}

bool Tokenize(const std::string& sql, std::vector<Token>& tokens, std::string& reason) {
  size_t pos = 0;
  while (pos < sql.size()) {
    if (tokens.size() >= MAX_TOKENS) {
      reason = NOT_ALLOWED;
      return false;
    }
    char c = sql[pos];
    if (IsSqlBlank(c)) {
      ++pos;
    } else if (IsWordStart(c)) {
      size_t end = pos;
      while (end < sql.size() && IsWordPart(sql[end])) ++end;
      tokens.push_back({TokenType::Word, sql.substr(pos, end - pos)});
      pos = end;
    } else if (IsDigit(c)) {
      size_t end = pos;
      while (end < sql.size() && IsDigit(sql[end])) ++end;
      if (end < sql.size() && (IsWordPart(sql[end]) || sql[end] == '.')) {
        reason = "malformed number";
        return false;
      }
      tokens.push_back({TokenType::Number, sql.substr(pos, end - pos)});
      pos = end;
    } else if (c == '\'') {
      std::string value;
      if (!ReadQuoted(sql, pos, value)) {
        reason = "unterminated quoted text";
        return false;
      }
      tokens.push_back({TokenType::Text, value});
    } else {
      std::string symbol;
      for (const char* two : TWO_CHAR_SYMBOLS) {
        if (sql.compare(pos, 2, two) == 0) symbol = two;
      }
      if (symbol.empty() && std::string(ONE_CHAR_SYMBOLS).find(c) != std::string::npos) symbol = c;
      if (symbol.empty()) {
        reason = "unexpected character in statement";
        return false;
      }
      tokens.push_back({TokenType::Symbol, symbol});
      pos += symbol.size();
    }
  }
  return true;
}

// A whole number of decimal digits (nothing else) that fits 64 bits.
bool ReadWholeNumber(const std::string& digits, int64_t& value) {
  if (digits.empty()) return false;
  for (char c : digits) {
    if (!IsDigit(c)) return false;
  }
  auto result = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  return result.ec == std::errc() && result.ptr == digits.data() + digits.size();
}

// Walks the tokens of one statement.
class Parser {
 public:
  explicit Parser(const std::vector<Token>& tokens) : tokens_(tokens) {}

  // Matches `pattern`, written as blank-separated pieces: "$text" takes a
  // quoted text, "$value" a quoted text or a number, anything else is the
  // same word (any letter case) or the same symbol. Taken values go to
  // `values` in order. On failure nothing is consumed.
  bool Match(const char* pattern, std::vector<std::string>* values = nullptr) {
    std::istringstream pieces(pattern);
    std::string piece;
    size_t at = pos_;
    std::vector<std::string> taken;
    while (pieces >> piece) {
      if (at >= tokens_.size() || !PieceMatches(piece, tokens_[at])) return false;
      if (piece[0] == '$') taken.push_back(tokens_[at].text);
      ++at;
    }
    pos_ = at;
    if (values) *values = taken;
    return true;
  }

  bool AtWord(const char* word) const {
    return pos_ < tokens_.size() && tokens_[pos_].type == TokenType::Word && SameWord(tokens_[pos_].text, word);
  }

  // After a statement only an optional ";" may follow.
  bool AtEnd(std::string& reason) {
    bool ended = Match(";");
    if (pos_ == tokens_.size()) return true;
    reason = ended ? "only one statement may be sent at a time" : NOT_ALLOWED;
    return false;
  }

  bool ParseObservation(ObservationQuery& query) {
    for (int part = 0; part < MAX_UNION_PARTS; ++part) {
      if (part > 0 && !Match("UNION")) return false;
      if (!Match("SELECT * FROM") || pos_ >= tokens_.size() || tokens_[pos_].type != TokenType::Word) return false;
      const ObservationTable* table = FindObservationTable(tokens_[pos_++].text);
      if (table == nullptr || (part > 0 && table != query.table)) return false;
      query.table = table;
      ObservationPart observationPart;
      if (!Match("WHERE sChiten =") || !TakeNumber(observationPart.station)) return false;
      if (Match("AND") && !ParseConjunction(*table, observationPart, 0)) return false;
      query.parts.push_back(std::move(observationPart));
      if (!AtWord("UNION")) return true;
    }
    return false;
  }

 private:
  static bool PieceMatches(const std::string& piece, const Token& token) {
    if (piece == "$text") return token.type == TokenType::Text;
    if (piece == "$value") return token.type == TokenType::Text || token.type == TokenType::Number;
    if (token.type == TokenType::Word) return SameWord(token.text, piece.c_str());
    return token.type == TokenType::Symbol && token.text == piece;
  }

  bool TakeNumber(int64_t& value) {
    if (pos_ >= tokens_.size() || tokens_[pos_].type != TokenType::Number) return false;
    return ReadWholeNumber(tokens_[pos_++].text, value);
  }

  // "sChiten" or "d<n>" naming a column the table has.
  bool TakeColumn(const ObservationTable& table, size_t& column) {
    if (pos_ >= tokens_.size() || tokens_[pos_].type != TokenType::Word) return false;
    const std::string& word = tokens_[pos_++].text;
    if (SameWord(word, "sChiten")) {
      column = 0;
      return true;
    }
    int64_t index = 0;
    bool named = word.size() >= 2 && (word[0] == 'd' || word[0] == 'D') && word[1] != '0' &&
                 ReadWholeNumber(word.substr(1), index);
    if (!named || index < 1 || static_cast<size_t>(index) >= table.columns.size()) return false;
    column = static_cast<size_t>(index);
    return true;
  }

  bool TakeComparison(Comparison& comparison) {
    static const std::pair<const char*, Comparison> OPERATORS[] = {
        {"=", Comparison::Equal},          {"<>", Comparison::NotEqual}, {"!=", Comparison::NotEqual},
        {"<", Comparison::Less},           {"<=", Comparison::LessOrEqual}, {">", Comparison::Greater},
        {">=", Comparison::GreaterOrEqual}};
    if (pos_ >= tokens_.size() || tokens_[pos_].type != TokenType::Symbol) return false;
    for (const auto& [symbol, meaning] : OPERATORS) {
      if (tokens_[pos_].text == symbol) {
        comparison = meaning;
        ++pos_;
        return true;
      }
    }
    return false;
  }

  // term { AND term }
  bool ParseConjunction(const ObservationTable& table, ObservationPart& part, int depth) {
    do {
      if (!ParseTerm(table, part, depth)) return false;
    } while (Match("AND"));
    return true;
  }

  // "(" conjunction ")" | column operator number
  bool ParseTerm(const ObservationTable& table, ObservationPart& part, int depth) {
    if (Match("(")) return depth < MAX_NESTING && ParseConjunction(table, part, depth + 1) && Match(")");
    ColumnCondition condition{};
    if (part.conditions.size() >= MAX_CONDITIONS_PER_PART || !TakeColumn(table, condition.column) ||
        !TakeComparison(condition.comparison) || !TakeNumber(condition.value)) {
      return false;
    }
    part.conditions.push_back(condition);
    return true;
  }

  const std::vector<Token>& tokens_;
  size_t pos_ = 0;
};

bool ParseFixedShapes(Parser& parser, Request& request, std::string& reason) {
  std::vector<std::string> values;
  if (parser.Match("SELECT client_no FROM client_mt WHERE user_id = $text AND password = $text", &values)) {
    request = SignInRequest{values[0], values[1]};
    return true;
  }
  if (parser.Match("INSERT INTO fee_history_dt ( client_no , feeday , data_total ) VALUES "
                   "( $text , now ( ) , $value )",
                   &values)) {
    UsageRecordRequest usage{values[0]};
    if (!ReadWholeNumber(values[1], usage.dataTotal) || usage.dataTotal > MAX_USAGE_ROWS) {
      reason = "the usage count must be a whole number from 0 to " + std::to_string(MAX_USAGE_ROWS);
      return false;
    }
    request = usage;
    return true;
  }
  if (parser.Match("SELECT SUM ( data_total ) FROM fee_history_dt WHERE client_no = $text AND feeday LIKE $text",
                   &values)) {
    request = MonthlyUsageRequest{values[0], values[1]};
    return true;
  }
  reason = NOT_ALLOWED;
  return false;
}

}  // namespace

bool ParseRequest(const std::string& sql, Request& request, std::string& reason) {
  // No engine stores a NUL inside a text, and no program sends one.
  if (sql.find('\0') != std::string::npos) {
    reason = "unexpected character in statement";
    return false;
  }
  std::vector<Token> tokens;
  if (!Tokenize(sql, tokens, reason)) return false;
  Parser parser(tokens);
  if (Parser(tokens).Match("SELECT *")) {
    ObservationQuery query;
    if (!parser.ParseObservation(query)) {
      reason = NOT_ALLOWED;
      return false;
    }
    request = std::move(query);
  } else if (!ParseFixedShapes(parser, request, reason)) {
    return false;
  }
  return parser.AtEnd(reason);
}

bool IsSqlBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
