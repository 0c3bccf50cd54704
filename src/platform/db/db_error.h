// DbError: a database failure numbered the way the system's flows test it.
#pragma once

#include <QString>
#include <exception>
#include <string>

struct DbError : public std::exception {
    // Numbers as the old data-access layer reported them; flows compare against these.
    static constexpr int ObjectNotFound = -2147217865;     // table or other object does not exist
    static constexpr int UnknownColumn = -2147217904;      // unknown column / missing value
    static constexpr int SyntaxError = -2147217900;        // SQL syntax error
    static constexpr int ConstraintRefused = -2147217873;  // duplicate key, over-long text, not null
    static constexpr int LoginRefused = -2147217843;       // login refused
    static constexpr int ProviderFailure = -2147467259;    // cannot open, any other provider failure
    static constexpr int TypeMismatch = -2147217913;       // a value of the wrong type in an expression
    static constexpr int Overflow = -2147217833;           // a number beyond its type's or column's range
    static constexpr int DivisionByZero = -2147352558;     // /, \ or Mod by zero
    static constexpr int InvalidCall = -2147024809;        // a function argument outside what it accepts
    static constexpr int NoCurrentRecord = 3021;           // BOF or EOF

    // Where a failure comes from. Statement: the statement or its data (the numbers above tell the
    // kind). The others are failures of the surroundings, whatever the number (as a rule
    // ProviderFailure): trying again later or elsewhere may succeed, the data was not at fault.
    enum class Cause {
        Statement,
        Busy,      // another program holds the database (locked, busy)
        ReadOnly,  // the database file or its folder cannot be written
        NoAccess,  // the file or its folder may not be read
        DiskFull,  // no room left on the disk
        DiskIo,    // the disk failed to read or write
        NotDatabase,  // the file is not a database, or a damaged one
    };

    DbError() = default;
    DbError(int number, QString description, QString sql = {}, QString nativeText = {});
    DbError(Cause cause, int number, QString description, QString nativeText = {});

    int number = 0;
    QString description;  // what a person is shown
    QString sql;          // the statement that failed, when there was one
    QString nativeText;   // the driver's own text
    Cause cause = Cause::Statement;

    // The database is in use by another program (the calculation and other long work test this to
    // say "busy, try again" instead of blaming their statement).
    bool isBusy() const { return cause == Cause::Busy; }
    bool isReadOnly() const { return cause == Cause::ReadOnly; }
    bool fromSurroundings() const { return cause != Cause::Statement; }

    // The report of the windows: the description followed by `between` and the number; a failure of
    // the surroundings reads as its description alone, since the number tells a person nothing there.
    QString numbered(const QString &between = {}) const;

    const char *what() const noexcept override { return m_what.c_str(); }

private:
    std::string m_what;
};

// Maps a SQLite result code and message to the numbering above.
int dbErrorNumberForSqlite(int resultCode, const QString &message);
// What a person is shown for a SQLite failure of that number (Chinese, naming the table or column;
// a locked, read-only, full or failing database said as such).
QString dbErrorDescriptionForSqlite(int number, const QString &message);
// The cause a failure text shows: SQLite's own texts ("database is locked", "attempt to write a
// readonly database", ...) and the Chinese descriptions given for them.
DbError::Cause dbErrorCauseOf(const QString &text);
// The Chinese description of a failure of the surroundings (empty for Statement).
QString dbErrorCauseDescription(DbError::Cause cause);
