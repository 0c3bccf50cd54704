// A small SQL tokenizer: splits statement text into words, literals, quoted names and marks.
#pragma once

#include <QChar>
#include <QString>

namespace sqltok {

enum class Kind {
    Space,      // blanks and comments
    Word,       // keyword or bare name (letters, digits, _, $, any non-ASCII character)
    Number,     // numeric literal
    String,     // '...' with '' for a quote
    Quoted,     // "..." or `...` name
    Bracketed,  // [...] name
    Date,       // #...# date literal (characters a date or time can hold between two #)
    Punct,      // any other single character
};

struct Token {
    Kind kind = Kind::Punct;
    int start = 0;
    int length = 0;
};

// The token that starts at pos (pos < n).
Token next(const QChar *s, int n, int pos);

// True when the n characters at s equal the ASCII word lit, ignoring case.
bool equalsWord(const QChar *s, int n, const char *lit);

// The name a Word, Quoted or Bracketed token stands for (quotes and brackets removed).
QString identifierName(const QString &tokenText, Kind kind);

// A name written so SQLite reads it as a name whatever it holds.
QString quoteIdentifier(const QString &name);

} // namespace sqltok
