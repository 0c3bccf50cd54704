// Registration of the expression language's implementations on a SQLite connection.
#include "platform/db/access_functions.h"

#include "platform/db/access_values.h"

#include <cstring>
#include <sqlite3.h>

namespace {

// Nz(value [, replacement]) for plain SQL: the replacement (or an empty text) in place of Null.
void fnNz(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    if (sqlite3_value_type(argv[0]) != SQLITE_NULL)
        sqlite3_result_value(ctx, argv[0]);
    else if (argc > 1)
        sqlite3_result_value(ctx, argv[1]);
    else
        sqlite3_result_text(ctx, "", 0, SQLITE_STATIC);
}

// The language's own names of functions, for plain SQL that bypasses the translation (benchmarks,
// raw handles); SQLite's own round, trim, replace, date and format keep their meaning there.
const struct {
    const char *name;
    const char *implementation;
} kPlainNames[] = {{"Int", "acc_int"},     {"Fix", "acc_fix"},     {"Val", "acc_val"},   {"Len", "acc_len"},
                   {"Left", "acc_left"},   {"Right", "acc_right"}, {"Mid", "acc_mid"},   {"UCase", "acc_ucase"},
                   {"LCase", "acc_lcase"}, {"CStr", "acc_cstr"},   {"CDbl", "acc_cdbl"}, {"Year", "acc_year"},
                   {"Month", "acc_month"}, {"Day", "acc_day"},     {"Now", "acc_now"}};

} // namespace

void registerAccessFunctions(sqlite3 *db)
{
    if (!db)
        return;
    const accval::RegistrationGroup groups[] = {accval::operatorFunctions(), accval::numberFunctions(),
                                                accval::textFunctions(), accval::dateFunctions()};
    for (const accval::RegistrationGroup &g : groups) {
        accval::registerFunctions(db, g.first, g.last);
        for (const accval::Registration *r = g.first; r != g.last; ++r)
            for (const auto &plain : kPlainNames)
                if (std::strcmp(plain.implementation, r->name) == 0) {
                    const accval::Registration alias{plain.name, r->args, r->fn, r->deterministic};
                    accval::registerFunctions(db, &alias, &alias + 1);
                }
    }
    sqlite3_create_function_v2(db, "Nz", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, fnNz, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(db, "Nz", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, fnNz, nullptr, nullptr, nullptr);
}
