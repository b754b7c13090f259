#include "server/statement_shape.h"

#include <strings.h>

#include <cctype>
#include <sstream>
#include <vector>

#include "server/observation_tables.h"

namespace {

enum class TokenType { Word, Number, Text, Symbol };

struct Token {
  TokenType type;
  std::string text;  // for Text: the value with the quotes removed
};

const char* const TWO_CHAR_SYMBOLS[] = {"<=", ">=", "<>", "!="};
const char ONE_CHAR_SYMBOLS[] = "(),;*=<>";

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool IsWordStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool IsWordPart(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }
bool IsDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

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
    char c = sql[pos];
    if (IsBlank(c)) {
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

// A fixed shape, written as blank-separated pieces: "$text" matches a quoted
// text, "$value" a quoted text or a number, anything else the same word (any
// letter case) or the same symbol.
struct Shape {
  StatementKind kind;
  const char* pattern;
};

const Shape FIXED_SHAPES[] = {
    {StatementKind::SignIn,
     "SELECT client_no FROM client_mt WHERE user_id = $text AND password = $text"},
    {StatementKind::UsageRecord,
     "INSERT INTO fee_history_dt ( client_no , feeday , data_total ) VALUES "
     "( $text , now ( ) , $value )"},
    {StatementKind::MonthlyUsage,
     "SELECT SUM ( data_total ) FROM fee_history_dt WHERE client_no = $text AND feeday LIKE $text"},
};

bool PieceMatches(const std::string& piece, const Token& token) {
  if (piece == "$text") return token.type == TokenType::Text;
  if (piece == "$value") return token.type == TokenType::Text || token.type == TokenType::Number;
  if (token.type == TokenType::Word) return SameWord(token.text, piece.c_str());
  return token.type == TokenType::Symbol && token.text == piece;
}

// Matches `pattern` against the tokens from `pos`; on success moves `pos`
// past the matched tokens.
bool MatchPattern(const char* pattern, const std::vector<Token>& tokens, size_t& pos) {
  std::istringstream pieces(pattern);
  std::string piece;
  size_t at = pos;
  while (pieces >> piece) {
    if (at >= tokens.size() || !PieceMatches(piece, tokens[at])) return false;
    ++at;
  }
  pos = at;
  return true;
}

bool IsKeyColumn(const std::string& word) {
  if (SameWord(word, "sChiten")) return true;
  if (word.size() < 2 || (word[0] != 'd' && word[0] != 'D')) return false;
  for (size_t i = 1; i < word.size(); ++i) {
    if (!IsDigit(word[i])) return false;
  }
  return true;
}

bool IsConditionToken(const Token& token) {
  switch (token.type) {
    case TokenType::Number:
      return true;
    case TokenType::Word:
      return SameWord(token.text, "AND") || IsKeyColumn(token.text);
    case TokenType::Symbol:
      return token.text != "," && token.text != ";" && token.text != "*";
    case TokenType::Text:
      return false;
  }
  return false;
}

// The rest of a WHERE condition after its station: key columns compared
// with numbers, joined by AND only (so every row stays the station's), with
// balanced parentheses. Stops before UNION, ";" or the end.
bool MatchCondition(const std::vector<Token>& tokens, size_t& pos) {
  int depth = 0;
  size_t start = pos;
  for (; pos < tokens.size(); ++pos) {
    const Token& token = tokens[pos];
    if (token.type == TokenType::Word && SameWord(token.text, "UNION")) break;
    if (token.type == TokenType::Symbol && token.text == ";") break;
    if (!IsConditionToken(token)) return false;
    if (token.text == "(") ++depth;
    if (token.text == ")" && --depth < 0) return false;
  }
  return depth == 0 && pos > start;
}

bool MatchObservation(const std::vector<Token>& tokens, size_t& pos) {
  std::string table;
  for (int part = 0; part < MAX_UNION_PARTS; ++part) {
    if (part > 0 && !MatchPattern("UNION", tokens, pos)) return false;
    if (!MatchPattern("SELECT * FROM", tokens, pos) || pos >= tokens.size()) return false;
    const Token& name = tokens[pos++];
    if (name.type != TokenType::Word || !IsObservationTable(name.text)) return false;
    if (part == 0) table = name.text;
    if (!SameWord(name.text, table.c_str())) return false;
    if (!MatchPattern("WHERE sChiten =", tokens, pos) || pos >= tokens.size() ||
        tokens[pos++].type != TokenType::Number) {
      return false;
    }
    size_t afterStation = pos;
    if (MatchPattern("AND", tokens, afterStation)) {
      pos = afterStation;
      if (!MatchCondition(tokens, pos)) return false;
    }
    bool moreParts = pos < tokens.size() && tokens[pos].type == TokenType::Word &&
                     SameWord(tokens[pos].text, "UNION");
    if (!moreParts) return true;
  }
  return false;
}

// After a matched statement only an optional ";" may follow.
bool OnlyEndFollows(const std::vector<Token>& tokens, size_t pos, std::string& reason) {
  bool ended = pos < tokens.size() && tokens[pos].type == TokenType::Symbol && tokens[pos].text == ";";
  if (ended) ++pos;
  if (pos == tokens.size()) return true;
  reason = ended ? "only one statement may be sent at a time" : "statement not allowed";
  return false;
}

}  // namespace

bool ClassifyStatement(const std::string& sql, StatementKind& kind, std::string& reason) {
  std::vector<Token> tokens;
  if (!Tokenize(sql, tokens, reason)) return false;
  for (const Shape& shape : FIXED_SHAPES) {
    size_t pos = 0;
    if (MatchPattern(shape.pattern, tokens, pos)) {
      kind = shape.kind;
      return OnlyEndFollows(tokens, pos, reason);
    }
  }
  size_t pos = 0;
  if (MatchObservation(tokens, pos)) {
    kind = StatementKind::Observation;
    return OnlyEndFollows(tokens, pos, reason);
  }
  reason = "statement not allowed";
  return false;
}
