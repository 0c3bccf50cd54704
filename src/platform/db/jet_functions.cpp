// The table of the expression language's functions.
#include "platform/db/jet_functions.h"

#include <QHash>

namespace jet {

namespace {

using VT = ValueType;
using F = FunctionForm;

std::vector<FunctionInfo> buildTable()
{
    return {
        // conditions and Null
        {"IIf", "", 3, 3, VT::Unknown, F::IIf, true, ""},
        {"Switch", "", 2, -1, VT::Unknown, F::Switch, true, ""},
        {"Choose", "acc_choose_index", 2, -1, VT::Unknown, F::Choose, true, "c"},
        {"IsNull", "", 1, 1, VT::Boolean, F::IsNull, true, ""},
        {"Nz", "", 1, 2, VT::Unknown, F::Nz, true, ""},
        {"IsNumeric", "acc_isnumeric", 1, 1, VT::Number, F::Scalar, true, "v"},
        {"IsDate", "acc_isdate", 1, 1, VT::Number, F::Scalar, true, "v"},
        // numbers
        {"Abs", "acc_abs", 1, 1, VT::Number, F::Scalar, true, "n"},
        {"Sgn", "acc_sgn", 1, 1, VT::Number, F::Scalar, true, "n"},
        {"Sqr", "acc_sqr", 1, 1, VT::Number, F::Scalar, true, "n"},
        {"Int", "acc_int", 1, 1, VT::Number, F::Scalar, true, "n"},
        {"Fix", "acc_fix", 1, 1, VT::Number, F::Scalar, true, "n"},
        {"Round", "acc_round", 1, 2, VT::Number, F::Scalar, true, "nc"},
        {"Exp", "acc_exp", 1, 1, VT::Number, F::Scalar, true, "n"},
        {"Log", "acc_log", 1, 1, VT::Number, F::Scalar, true, "n"},
        {"Atn", "acc_atn", 1, 1, VT::Number, F::Scalar, true, "n"},
        {"Sin", "acc_sin", 1, 1, VT::Number, F::Scalar, true, "n"},
        {"Cos", "acc_cos", 1, 1, VT::Number, F::Scalar, true, "n"},
        {"Tan", "acc_tan", 1, 1, VT::Number, F::Scalar, true, "n"},
        // conversions
        {"CInt", "acc_cint", 1, 1, VT::Number, F::Scalar, true, "c"},
        {"CLng", "acc_clng", 1, 1, VT::Number, F::Scalar, true, "c"},
        {"CByte", "acc_cbyte", 1, 1, VT::Number, F::Scalar, true, "c"},
        {"CSng", "acc_csng", 1, 1, VT::Number, F::Scalar, true, "c"},
        {"CDbl", "acc_cdbl", 1, 1, VT::Number, F::Scalar, true, "c"},
        {"CCur", "acc_ccur", 1, 1, VT::Number, F::Scalar, true, "c"},
        {"CDec", "acc_cdbl", 1, 1, VT::Number, F::Scalar, true, "c"},
        {"CBool", "acc_cbool", 1, 1, VT::Number, F::Scalar, true, "v"},
        {"CStr", "acc_cstr", 1, 1, VT::Text, F::Scalar, true, "t"},
        {"CDate", "acc_cdate", 1, 1, VT::Date, F::Scalar, true, "v"},
        {"CVDate", "acc_cdate", 1, 1, VT::Date, F::Scalar, true, "v"},
        {"Val", "acc_val", 1, 1, VT::Number, F::Scalar, true, "v"},
        {"Str", "acc_str", 1, 1, VT::Text, F::Scalar, true, "n"},
        {"Hex", "acc_hex", 1, 1, VT::Text, F::Scalar, true, "c"},
        {"Oct", "acc_oct", 1, 1, VT::Text, F::Scalar, true, "c"},
        // texts
        {"Len", "acc_len", 1, 1, VT::Number, F::Scalar, true, "t"},
        {"Left", "acc_left", 2, 2, VT::Text, F::Scalar, true, "tn"},
        {"Right", "acc_right", 2, 2, VT::Text, F::Scalar, true, "tn"},
        {"Mid", "acc_mid", 2, 3, VT::Text, F::Scalar, true, "tnn"},
        {"InStr", "acc_instr", 2, 4, VT::Number, F::Scalar, true, "tt|ntt|nttn"},
        {"InStrRev", "acc_instrrev", 2, 4, VT::Number, F::Scalar, true, "ttnn"},
        {"Trim", "acc_trim", 1, 1, VT::Text, F::Scalar, true, "t"},
        {"LTrim", "acc_ltrim", 1, 1, VT::Text, F::Scalar, true, "t"},
        {"RTrim", "acc_rtrim", 1, 1, VT::Text, F::Scalar, true, "t"},
        {"UCase", "acc_ucase", 1, 1, VT::Text, F::Scalar, true, "t"},
        {"LCase", "acc_lcase", 1, 1, VT::Text, F::Scalar, true, "t"},
        {"Replace", "acc_replace", 3, 6, VT::Text, F::Scalar, true, "tttnnn"},
        {"Space", "acc_space", 1, 1, VT::Text, F::Scalar, true, "n"},
        {"String", "acc_string", 2, 2, VT::Text, F::Scalar, true, "nv"},
        {"StrReverse", "acc_strreverse", 1, 1, VT::Text, F::Scalar, true, "t"},
        {"StrComp", "acc_strcomp", 2, 3, VT::Number, F::Scalar, true, "ttn"},
        {"Asc", "acc_asc", 1, 1, VT::Number, F::Scalar, true, "t"},
        {"AscW", "acc_asc", 1, 1, VT::Number, F::Scalar, true, "t"},
        {"Chr", "acc_chr", 1, 1, VT::Text, F::Scalar, true, "n"},
        {"ChrW", "acc_chr", 1, 1, VT::Text, F::Scalar, true, "n"},
        {"Format", "acc_format", 1, 4, VT::Text, F::Scalar, true, "vtcc"},
        // dates
        {"Now", "acc_now", 0, 0, VT::Date, F::Scalar, false, ""},
        {"Date", "acc_date", 0, 0, VT::Date, F::Scalar, false, ""},
        {"Time", "acc_time", 0, 0, VT::Date, F::Scalar, false, ""},
        {"Year", "acc_year", 1, 1, VT::Number, F::Scalar, true, "d"},
        {"Month", "acc_month", 1, 1, VT::Number, F::Scalar, true, "d"},
        {"Day", "acc_day", 1, 1, VT::Number, F::Scalar, true, "d"},
        {"Hour", "acc_hour", 1, 1, VT::Number, F::Scalar, true, "d"},
        {"Minute", "acc_minute", 1, 1, VT::Number, F::Scalar, true, "d"},
        {"Second", "acc_second", 1, 1, VT::Number, F::Scalar, true, "d"},
        {"Weekday", "acc_weekday", 1, 2, VT::Number, F::Scalar, true, "dc"},
        {"DateSerial", "acc_dateserial", 3, 3, VT::Date, F::Scalar, true, "ccc"},
        {"TimeSerial", "acc_timeserial", 3, 3, VT::Date, F::Scalar, true, "ccc"},
        {"DateValue", "acc_datevalue", 1, 1, VT::Date, F::Scalar, true, "d"},
        {"TimeValue", "acc_timevalue", 1, 1, VT::Date, F::Scalar, true, "d"},
        {"DateAdd", "acc_dateadd", 3, 3, VT::Date, F::Scalar, true, "tnd"},
        {"DateDiff", "acc_datediff", 3, 5, VT::Number, F::Scalar, true, "tddcc"},
        {"DatePart", "acc_datepart", 2, 4, VT::Number, F::Scalar, true, "tdcc"},
        {"MonthName", "acc_monthname", 1, 2, VT::Text, F::Scalar, true, "cc"},
        {"WeekdayName", "acc_weekdayname", 1, 3, VT::Text, F::Scalar, true, "ccc"},
        // aggregates
        {"Count", "count", 1, 1, VT::Number, F::Aggregate, true, ""},
        {"Sum", "sum", 1, 1, VT::Number, F::Aggregate, true, ""},
        {"Avg", "avg", 1, 1, VT::Number, F::Aggregate, true, ""},
        {"Min", "min", 1, 1, VT::Unknown, F::Aggregate, true, ""},
        {"Max", "max", 1, 1, VT::Unknown, F::Aggregate, true, ""},
    };
}

} // namespace

const std::vector<FunctionInfo> &functions()
{
    static const std::vector<FunctionInfo> table = buildTable();
    return table;
}

const FunctionInfo *findFunction(const QString &name)
{
    static const QHash<QString, const FunctionInfo *> index = [] {
        QHash<QString, const FunctionInfo *> h;
        for (const FunctionInfo &f : functions())
            h.insert(QString::fromLatin1(f.name).toLower(), &f);
        return h;
    }();
    return index.value(name.toLower(), nullptr);
}

} // namespace jet
