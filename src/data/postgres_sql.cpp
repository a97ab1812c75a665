#include "data/postgres_sql.h"

#include <algorithm>
#include <array>

#include "kelvo/error.h"
#include "runtime/text.h"

namespace kelvo::data {
namespace {

bool IsIdentifierStart(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' ||
         static_cast<unsigned char>(c) >= 0x80;
}

bool IsIdentifierChar(char c) { return IsIdentifierStart(c) || IsAsciiDigit(c) || c == '$'; }

// Words that make a query more than a read, or that a subquery cannot hold.
constexpr std::array kChangingWords = {"INSERT", "UPDATE", "DELETE", "MERGE", "INTO"};
constexpr std::array kQueryWords = {"SELECT", "VALUES", "TABLE", "WITH"};
constexpr std::array kRowWords = {"INSERT", "UPDATE", "DELETE"};
// Words that may stand before a parenthesis without calling a function that could change the
// session: keywords, type names with a size, and built-in functions without side effects.
constexpr std::array kNeutralBeforeParenthesis = {
    "ALL", "AND", "ANY", "ARRAY", "AS", "BETWEEN", "BY", "CASE", "CUBE", "DISTINCT", "ELSE",
    "EXCEPT", "EXISTS", "FILTER", "FROM", "GROUP", "GROUPING", "HAVING", "ILIKE", "IN",
    "INTERSECT", "INTO", "IS", "JOIN", "LATERAL", "LIKE", "LIMIT", "NOT", "OFFSET", "ON", "OR",
    "OVER", "RETURNING", "ROLLUP", "ROW", "SELECT", "SET", "SETS", "SOME", "TABLE", "THEN",
    "UNION", "USING", "VALUES", "WHEN", "WHERE", "WITH", "WITHIN",
    "BIT", "CHAR", "CHARACTER", "DECIMAL", "INTERVAL", "NUMERIC", "TIME", "TIMESTAMP",
    "VARCHAR",
    "ABS", "ARRAY_AGG", "ARRAY_POSITION", "AVG", "CAST", "COALESCE", "CONCAT", "COUNT",
    "CURRENT_SCHEMAS", "CURRENT_SETTING", "DATE_TRUNC", "EXTRACT", "GREATEST",
    "HAS_ANY_COLUMN_PRIVILEGE", "HAS_TABLE_PRIVILEGE", "LEAST", "LENGTH", "LOWER", "MAX", "MIN",
    "NOW", "NULLIF", "PG_GET_EXPR", "PG_HAS_ROLE", "PG_TABLE_IS_VISIBLE", "RANK", "REPLACE",
    "ROUND", "ROW_NUMBER", "SCALE", "STRING_AGG", "SUBSTR", "SUBSTRING", "SUM", "TO_CHAR",
    "TO_DATE", "TO_NUMBER", "TO_REGCLASS", "TO_TIMESTAMP", "TRIM", "UPPER"};

template <size_t N>
bool IsOneOf(std::string_view word, const std::array<const char*, N>& words) {
  return std::any_of(words.begin(), words.end(),
                     [word](const char* w) { return EqualsIgnoreCase(word, w); });
}

class Translator {
 public:
  explicit Translator(std::string_view sql) : sql_(sql) { out_.reserve(sql.size() + 16); }

  PostgresSql Run() {
    while (pos_ < sql_.size()) Step();
    if (question_marks_ > 0 && highest_dollar_ > 0) {
      throw Error(errc::kInvalidCall, "The statement mixes ? and $n placeholders; use one kind: " +
                                          std::string(sql_.substr(0, 80)));
    }
    PostgresSql result;
    out_.resize(significant_end_);
    if (!out_.empty() && out_.back() == ';') out_.pop_back();
    while (!out_.empty() && (IsBlank(out_.back()) || out_.back() == '\n' || out_.back() == '\r'))
      out_.pop_back();
    result.text = std::move(out_);
    result.parameter_count = question_marks_ > 0 ? question_marks_ : highest_dollar_;
    result.limitable = query_ && !changes_;
    result.session_neutral = (query_ || row_command_) && !calls_;
    return result;
  }

 private:
  char At(size_t i) const { return i < sql_.size() ? sql_[i] : '\0'; }

  void Copy(size_t count) {
    out_.append(sql_.substr(pos_, count));
    pos_ += count;
  }

  void Significant() { significant_end_ = out_.size(); }

  // Whether the next significant character is an opening parenthesis.
  bool ParenthesisFollows() const {
    size_t at = pos_;
    while (at < sql_.size() && (IsBlank(sql_[at]) || sql_[at] == '\n' || sql_[at] == '\r')) ++at;
    return At(at) == '(';
  }

  void Step() {
    const char c = sql_[pos_];
    if (c == '-' && At(pos_ + 1) == '-') {
      const size_t end = std::min(sql_.find('\n', pos_), sql_.size());
      Copy(end - pos_);
    } else if (c == '/' && At(pos_ + 1) == '*') {
      BlockComment();
    } else if (c == '\'') {
      const bool escapes = pos_ > 0 && (sql_[pos_ - 1] == 'E' || sql_[pos_ - 1] == 'e') &&
                           (pos_ < 2 || !IsIdentifierChar(sql_[pos_ - 2]));
      Quoted('\'', escapes);
    } else if (c == '"') {
      Quoted('"', false);
      if (ParenthesisFollows()) calls_ = true;
    } else if (c == '$') {
      Dollar();
    } else if (c == '?') {
      Placeholder();
    } else if (IsIdentifierStart(c)) {
      Word();
    } else if (IsAsciiDigit(c)) {
      while (pos_ < sql_.size() && IsIdentifierChar(sql_[pos_])) Copy(1);
      Significant();
    } else {
      Copy(1);
      if (!IsBlank(c) && c != '\n' && c != '\r') Significant();
    }
  }

  void BlockComment() {
    int depth = 0;
    do {
      if (At(pos_) == '/' && At(pos_ + 1) == '*') {
        ++depth;
        Copy(2);
      } else if (At(pos_) == '*' && At(pos_ + 1) == '/') {
        --depth;
        Copy(2);
      } else {
        Copy(1);
      }
    } while (depth > 0 && pos_ < sql_.size());
  }

  void Quoted(char quote, bool escapes) {
    Copy(1);
    while (pos_ < sql_.size()) {
      const char c = sql_[pos_];
      if (escapes && c == '\\') {
        Copy(std::min<size_t>(2, sql_.size() - pos_));
      } else if (c == quote) {
        Copy(1);
        if (At(pos_) != quote) break;
        Copy(1);
      } else {
        Copy(1);
      }
    }
    Significant();
  }

  // $n, or a dollar-quoted string $tag$...$tag$.
  void Dollar() {
    size_t end = pos_ + 1;
    if (IsAsciiDigit(At(end))) {
      int number = 0;
      while (IsAsciiDigit(At(end))) number = number * 10 + (sql_[end++] - '0');
      highest_dollar_ = std::max(highest_dollar_, number);
      Copy(end - pos_);
      Significant();
      return;
    }
    while (end < sql_.size() && IsIdentifierChar(sql_[end]) && sql_[end] != '$') ++end;
    if (At(end) != '$' || (end > pos_ + 1 && !IsIdentifierStart(sql_[pos_ + 1]))) {
      Copy(1);
      Significant();
      return;
    }
    const std::string_view tag = sql_.substr(pos_, end + 1 - pos_);
    const size_t close = sql_.find(tag, end + 1);
    Copy(close == std::string_view::npos ? sql_.size() - pos_ : close + tag.size() - pos_);
    Significant();
  }

  void Placeholder() {
    if (At(pos_ + 1) == '?') {
      out_ += '?';
      pos_ += 2;
    } else {
      out_ += '$';
      out_ += std::to_string(++question_marks_);
      ++pos_;
    }
    Significant();
  }

  void Word() {
    const size_t start = pos_;
    while (pos_ < sql_.size() && IsIdentifierChar(sql_[pos_])) ++pos_;
    const std::string_view word = sql_.substr(start, pos_ - start);
    out_.append(word);
    Significant();
    if (first_word_) {
      first_word_ = false;
      query_ = IsOneOf(word, kQueryWords);
      row_command_ = IsOneOf(word, kRowWords);
    }
    if (IsOneOf(word, kChangingWords)) changes_ = true;
    if (ParenthesisFollows() && !IsOneOf(word, kNeutralBeforeParenthesis)) calls_ = true;
  }

  std::string_view sql_;
  size_t pos_ = 0;
  std::string out_;
  size_t significant_end_ = 0;
  int question_marks_ = 0;
  int highest_dollar_ = 0;
  bool first_word_ = true;
  bool query_ = false;
  bool changes_ = false;
  bool row_command_ = false;
  bool calls_ = false;
};

}  // namespace

PostgresSql TranslateSql(std::string_view sql) { return Translator(sql).Run(); }

namespace {

constexpr std::string_view kSkippedStart = "SELECT * FROM (\n";
// The line break ends a comment that the query may end with.
constexpr std::string_view kSkippedEnd = "\n) AS kelvo_skipped OFFSET ";

}  // namespace

std::string SkippedSql(const std::string& query, long skip) {
  return std::string(kSkippedStart) + query + std::string(kSkippedEnd) + std::to_string(skip);
}

std::string_view UnskippedSql(std::string_view sql) {
  const size_t end = sql.rfind(kSkippedEnd);
  if (sql.substr(0, kSkippedStart.size()) != kSkippedStart || end == std::string_view::npos ||
      end < kSkippedStart.size())
    return sql;
  const std::string_view skip = sql.substr(end + kSkippedEnd.size());
  if (skip.empty() || !std::all_of(skip.begin(), skip.end(), IsAsciiDigit)) return sql;
  return sql.substr(kSkippedStart.size(), end - kSkippedStart.size());
}

std::string LimitedSql(const std::string& query, long max_rows) {
  // The line break ends a comment that the query may end with.
  return "SELECT * FROM (\n" + query + "\n) AS kelvo_rows LIMIT " + std::to_string(max_rows);
}

}  // namespace kelvo::data
