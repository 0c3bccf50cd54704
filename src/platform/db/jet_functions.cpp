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
        {"IIf", "", 3, 3, VT::Unknown, F::IIf, true},
        {"Switch", "", 2, -1, VT::Unknown, F::Switch, true},
        {"Choose", "acc_choose_index", 2, -1, VT::Unknown, F::Choose, true},
        {"IsNull", "", 1, 1, VT::Boolean, F::IsNull, true},
        {"Nz", "", 1, 2, VT::Unknown, F::Nz, true},
        {"IsNumeric", "acc_isnumeric", 1, 1, VT::Number, F::Scalar, true},
        {"IsDate", "acc_isdate", 1, 1, VT::Number, F::Scalar, true},
        // numbers
        {"Abs", "acc_abs", 1, 1, VT::Number, F::Scalar, true},
        {"Sgn", "acc_sgn", 1, 1, VT::Number, F::Scalar, true},
        {"Sqr", "acc_sqr", 1, 1, VT::Number, F::Scalar, true},
        {"Int", "acc_int", 1, 1, VT::Number, F::Scalar, true},
        {"Fix", "acc_fix", 1, 1, VT::Number, F::Scalar, true},
        {"Round", "acc_round", 1, 2, VT::Number, F::Scalar, true},
        {"Exp", "acc_exp", 1, 1, VT::Number, F::Scalar, true},
        {"Log", "acc_log", 1, 1, VT::Number, F::Scalar, true},
        {"Atn", "acc_atn", 1, 1, VT::Number, F::Scalar, true},
        {"Sin", "acc_sin", 1, 1, VT::Number, F::Scalar, true},
        {"Cos", "acc_cos", 1, 1, VT::Number, F::Scalar, true},
        {"Tan", "acc_tan", 1, 1, VT::Number, F::Scalar, true},
        // conversions
        {"CInt", "acc_cint", 1, 1, VT::Number, F::Scalar, true},
        {"CLng", "acc_clng", 1, 1, VT::Number, F::Scalar, true},
        {"CByte", "acc_cbyte", 1, 1, VT::Number, F::Scalar, true},
        {"CSng", "acc_csng", 1, 1, VT::Number, F::Scalar, true},
        {"CDbl", "acc_cdbl", 1, 1, VT::Number, F::Scalar, true},
        {"CCur", "acc_ccur", 1, 1, VT::Number, F::Scalar, true},
        {"CDec", "acc_cdbl", 1, 1, VT::Number, F::Scalar, true},
        {"CBool", "acc_cbool", 1, 1, VT::Number, F::Scalar, true},
        {"CStr", "acc_cstr", 1, 1, VT::Text, F::Scalar, true},
        {"CDate", "acc_cdate", 1, 1, VT::Date, F::Scalar, true},
        {"CVDate", "acc_cdate", 1, 1, VT::Date, F::Scalar, true},
        {"Val", "acc_val", 1, 1, VT::Number, F::Scalar, true},
        {"Str", "acc_str", 1, 1, VT::Text, F::Scalar, true},
        {"Hex", "acc_hex", 1, 1, VT::Text, F::Scalar, true},
        {"Oct", "acc_oct", 1, 1, VT::Text, F::Scalar, true},
        // texts
        {"Len", "acc_len", 1, 1, VT::Number, F::Scalar, true},
        {"Left", "acc_left", 2, 2, VT::Text, F::Scalar, true},
        {"Right", "acc_right", 2, 2, VT::Text, F::Scalar, true},
        {"Mid", "acc_mid", 2, 3, VT::Text, F::Scalar, true},
        {"InStr", "acc_instr", 2, 4, VT::Number, F::Scalar, true},
        {"InStrRev", "acc_instrrev", 2, 4, VT::Number, F::Scalar, true},
        {"Trim", "acc_trim", 1, 1, VT::Text, F::Scalar, true},
        {"LTrim", "acc_ltrim", 1, 1, VT::Text, F::Scalar, true},
        {"RTrim", "acc_rtrim", 1, 1, VT::Text, F::Scalar, true},
        {"UCase", "acc_ucase", 1, 1, VT::Text, F::Scalar, true},
        {"LCase", "acc_lcase", 1, 1, VT::Text, F::Scalar, true},
        {"Replace", "acc_replace", 3, 6, VT::Text, F::Scalar, true},
        {"Space", "acc_space", 1, 1, VT::Text, F::Scalar, true},
        {"String", "acc_string", 2, 2, VT::Text, F::Scalar, true},
        {"StrReverse", "acc_strreverse", 1, 1, VT::Text, F::Scalar, true},
        {"StrComp", "acc_strcomp", 2, 3, VT::Number, F::Scalar, true},
        {"Asc", "acc_asc", 1, 1, VT::Number, F::Scalar, true},
        {"AscW", "acc_asc", 1, 1, VT::Number, F::Scalar, true},
        {"Chr", "acc_chr", 1, 1, VT::Text, F::Scalar, true},
        {"ChrW", "acc_chr", 1, 1, VT::Text, F::Scalar, true},
        {"Format", "acc_format", 1, 4, VT::Text, F::Scalar, true},
        // dates
        {"Now", "acc_now", 0, 0, VT::Date, F::Scalar, false},
        {"Date", "acc_date", 0, 0, VT::Date, F::Scalar, false},
        {"Time", "acc_time", 0, 0, VT::Date, F::Scalar, false},
        {"Year", "acc_year", 1, 1, VT::Number, F::Scalar, true},
        {"Month", "acc_month", 1, 1, VT::Number, F::Scalar, true},
        {"Day", "acc_day", 1, 1, VT::Number, F::Scalar, true},
        {"Hour", "acc_hour", 1, 1, VT::Number, F::Scalar, true},
        {"Minute", "acc_minute", 1, 1, VT::Number, F::Scalar, true},
        {"Second", "acc_second", 1, 1, VT::Number, F::Scalar, true},
        {"Weekday", "acc_weekday", 1, 2, VT::Number, F::Scalar, true},
        {"DateSerial", "acc_dateserial", 3, 3, VT::Date, F::Scalar, true},
        {"TimeSerial", "acc_timeserial", 3, 3, VT::Date, F::Scalar, true},
        {"DateValue", "acc_datevalue", 1, 1, VT::Date, F::Scalar, true},
        {"TimeValue", "acc_timevalue", 1, 1, VT::Date, F::Scalar, true},
        {"DateAdd", "acc_dateadd", 3, 3, VT::Date, F::Scalar, true},
        {"DateDiff", "acc_datediff", 3, 5, VT::Number, F::Scalar, true},
        {"DatePart", "acc_datepart", 2, 4, VT::Number, F::Scalar, true},
        {"MonthName", "acc_monthname", 1, 2, VT::Text, F::Scalar, true},
        {"WeekdayName", "acc_weekdayname", 1, 3, VT::Text, F::Scalar, true},
        // aggregates
        {"Count", "count", 1, 1, VT::Number, F::Aggregate, true},
        {"Sum", "sum", 1, 1, VT::Number, F::Aggregate, true},
        {"Avg", "avg", 1, 1, VT::Number, F::Aggregate, true},
        {"Min", "min", 1, 1, VT::Unknown, F::Aggregate, true},
        {"Max", "max", 1, 1, VT::Unknown, F::Aggregate, true},
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
