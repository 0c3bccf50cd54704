// The PostgreSQL implementations of the expression language: the operators, conditions and the checks of stored values (SQL run on first connection).
#include "platform/db/postgres_functions.h"

const char *pgfunctions::operatorsScript()
{
    return R"sql(
-- ---- operators ----------------------------------------------------------------------------------
-- a + b: numbers add, two texts join, a text that is a number adds to a number
create or replace function acc.add(a float8, b float8) returns float8 language sql immutable parallel safe as $$ select a + b $$;
create or replace function acc.add(a text, b text) returns text language sql immutable parallel safe as $$ select a || b $$;
create or replace function acc.add(a float8, b text) returns float8 language sql stable parallel safe as $$ select a + acc.num(b) $$;
create or replace function acc.add(a text, b float8) returns float8 language sql stable parallel safe as $$ select acc.num(a) + b $$;
create or replace function acc.sub(a float8, b float8) returns float8 language sql immutable parallel safe as $$ select a - b $$;
create or replace function acc.mul(a float8, b float8) returns float8 language sql immutable parallel safe as $$ select a * b $$;
create or replace function acc.neg(a float8) returns float8 language sql immutable parallel safe as $$ select -a $$;
-- a / b always divides as floating point
create or replace function acc.div(a float8, b float8) returns float8 language sql stable parallel safe as $$
  select case when a is null or b is null then null when b = 0 then acc.fault('22012', a) else a / b end
$$;
-- the operands of \ and Mod: rounded half to even, within a 64-bit integer, the divisor not 0
create or replace function acc.int_operand(v float8, divisor boolean) returns bigint language sql stable parallel safe as $$
  select case when v is null then null
    when abs(acc.round_even(v)) >= 9.2e18 then acc.fault('22003', null::bigint)
    when divisor and acc.round_even(v) = 0 then acc.fault('22012', null::bigint)
    else acc.round_even(v)::bigint end
$$;
create or replace function acc.idiv(a float8, b float8) returns bigint language sql stable parallel safe as $$
  select case when a is null or b is null then null
    else acc.int_operand(a, false) / acc.int_operand(b, true) end
$$;
create or replace function acc.mod(a float8, b float8) returns bigint language sql stable parallel safe as $$
  select case when a is null or b is null then null
    else acc.int_operand(a, false) % acc.int_operand(b, true) end
$$;
create or replace function acc.pow(a float8, b float8) returns float8 language sql stable parallel safe as $$
  select case when a is null or b is null then null
    when a < 0 and b <> floor(b) then acc.fault('22023', a)
    when a = 0 and b < 0 then acc.fault('22012', a)
    else power(a, b) end
$$;

-- ---- Not, And, Or, Xor, Eqv, Imp on numbers: bitwise on 32-bit integers -----------------------
create or replace function acc.bits(v float8) returns int language sql stable parallel safe as $$
  select acc.whole(v, -2147483648, 2147483647)::int
$$;
create or replace function acc."not"(a float8) returns int language sql stable parallel safe as $$ select ~acc.bits(a) $$;
-- Null combines with a value that alone decides the result: Null And 0 = 0, Null Or -1 = -1,
-- Null Imp -1 = -1, 0 Imp Null = -1; otherwise the result is Null.
create or replace function acc.logical(op int, a float8, b float8) returns int language plpgsql stable parallel safe as $$
declare
  x int := acc.bits(a);
  y int := acc.bits(b);
begin
  if x is null or y is null then
    if op = 0 and (x = 0 or y = 0) then return 0; end if;
    if op = 1 and (x = -1 or y = -1) then return -1; end if;
    if op = 4 and ((x is null and y = -1) or (y is null and x = 0)) then return -1; end if;
    return null;
  end if;
  return case op when 0 then x & y when 1 then x | y when 2 then x # y when 3 then ~(x # y) else ~x | y end;
end $$;
create or replace function acc."and"(a float8, b float8) returns int language sql stable parallel safe as $$ select acc.logical(0, a, b) $$;
create or replace function acc."or"(a float8, b float8) returns int language sql stable parallel safe as $$ select acc.logical(1, a, b) $$;
create or replace function acc.xor(a float8, b float8) returns int language sql stable parallel safe as $$ select acc.logical(2, a, b) $$;
create or replace function acc.eqv(a float8, b float8) returns int language sql stable parallel safe as $$ select acc.logical(3, a, b) $$;
create or replace function acc.imp(a float8, b float8) returns int language sql stable parallel safe as $$ select acc.logical(4, a, b) $$;

-- a & b & …: texts joined, Null as empty; all Null gives Null
create or replace function acc.cat(variadic parts text[]) returns text language sql immutable parallel safe as $$
  select string_agg(p, '' order by i) from unnest(parts) with ordinality as u(p, i)
$$;
create or replace function acc.cstr(v text) returns text language sql immutable parallel safe as $$ select v $$;
create or replace function acc.cstr_date(v timestamp) returns text language sql immutable parallel safe as $$ select acc.general_date(v) $$;

-- ---- dates as values ---------------------------------------------------------------------------
create or replace function acc.date_add(d timestamp, days float8) returns timestamp language sql stable parallel safe as $$
  select case when d is null or days is null then null
    when abs(days) > 4.0e6 then acc.fault('22003', d)
    when not acc.in_range(d + make_interval(secs => round((days * 86400000)::numeric) / 1000)) then acc.fault('22003', d)
    else d + make_interval(secs => round((days * 86400000)::numeric) / 1000) end
$$;
create or replace function acc.date_sub(d timestamp, days float8) returns timestamp language sql stable parallel safe as $$
  select acc.date_add(d, -days)
$$;
create or replace function acc.date_diff(a timestamp, b timestamp) returns float8 language sql immutable parallel safe as $$
  select extract(epoch from a - b)::float8 / 86400
$$;

-- the old engine's day number of a date (days since 1899-12-30, the time of day as the fraction;
-- before that day the fraction still counts forward from midnight)
create or replace function acc.date_serial(v timestamp) returns float8 language sql immutable parallel safe as $$
  select case when v::date >= date '1899-12-30'
    then (v::date - date '1899-12-30') + extract(epoch from v::time)::float8 / 86400
    else (v::date - date '1899-12-30') - extract(epoch from v::time)::float8 / 86400 end
$$;

create or replace function acc.invalid_call(witness anyelement) returns anyelement language sql stable parallel safe as $$
  select acc.fault('22023', witness)
$$;
create or replace function acc.choose_index(v float8) returns bigint language sql stable parallel safe as $$
  select acc.whole(v, -2147483648, 2147483647)
$$;

-- a text compared with a number: the number it holds, or Null when it holds none
create or replace function acc.number_or_null(v text) returns float8 language sql immutable parallel safe as $$
  select case when acc.plain(v) then v::float8 end
$$;

-- ---- a value used as a condition ----------------------------------------------------------------
create or replace function acc.truth(v boolean) returns boolean language sql immutable parallel safe as $$ select v $$;
create or replace function acc.truth(v float8) returns boolean language sql immutable parallel safe as $$ select v <> 0 $$;
create or replace function acc.truth(v text) returns boolean language sql immutable parallel safe as $$
  select case when v is null then null when acc.plain(v) then v::float8 <> 0 else false end
$$;
create or replace function acc.truth(v timestamp) returns boolean language sql immutable parallel safe as $$ select v is not null or null $$;

-- ---- values stored into typed columns -----------------------------------------------------------
create or replace function acc.store_single(v float8) returns float8 language sql stable parallel safe as $$
  select case when abs(v) > 3.402823466e38 then acc.fault('22003', v) else v end
$$;
create or replace function acc.store_double(v float8) returns float8 language sql immutable parallel safe as $$ select v $$;
create or replace function acc.store_currency(v float8) returns float8 language sql stable parallel safe as $$
  select case when abs(acc.round_even(v, 4)) > 922337203685477.5807 then acc.fault('22003', v) else acc.round_even(v, 4) end
$$;
create or replace function acc.store_long(v float8) returns bigint language sql stable parallel safe as $$
  select acc.whole(v, -2147483648, 2147483647)
$$;
create or replace function acc.store_integer(v float8) returns bigint language sql stable parallel safe as $$
  select acc.whole(v, -32768, 32767)
$$;
create or replace function acc.store_byte(v float8) returns bigint language sql stable parallel safe as $$
  select acc.whole(v, 0, 255)
$$;
create or replace function acc.store_text(v text) returns text language sql immutable parallel safe as $$ select v $$;
-- Yes/No columns hold -1 for Yes and 0 for No, whatever number or True/False text is stored
create or replace function acc.store_bool(v float8) returns int language sql immutable parallel safe as $$
  select case when v is null then null when v <> 0 then -1 else 0 end
$$;
create or replace function acc.store_bool(v text) returns int language sql stable parallel safe as $$
  select case when lower(btrim(v)) in ('true', 'yes') then -1 when lower(btrim(v)) in ('false', 'no') then 0
    else acc.store_bool(acc.num(v)) end
$$;
create or replace function acc.store_bool(v timestamp) returns int language sql stable parallel safe as $$
  select acc.store_bool(acc.num(v))
$$;
create or replace function acc.store_date(v timestamp) returns timestamp language sql stable parallel safe as $$
  select acc.date_result(v)
$$;
create or replace function acc.store_date(v float8) returns timestamp language sql stable parallel safe as $$
  select acc.date_result(acc.d(v))
$$;
-- an empty text stores as no date
create or replace function acc.store_date(v text) returns timestamp language sql stable parallel safe as $$
  select case when btrim(v) = '' then null else acc.date_result(acc.d(v)) end
$$;
)sql";
}
