// The PostgreSQL implementations of the expression language: the number, text and date functions (SQL run on first connection).
#include "platform/db/postgres_functions.h"

const char *pgfunctions::libraryScript()
{
    return R"sql(
-- ---- number and conversion functions ------------------------------------------------------------
create or replace function acc.abs(v float8) returns float8 language sql immutable parallel safe as $$ select abs(v) $$;
create or replace function acc.sgn(v float8) returns float8 language sql immutable parallel safe as $$ select sign(v) $$;
create or replace function acc.sqr(v float8) returns float8 language sql stable parallel safe as $$
  select case when v < 0 then acc.fault('22023', v) else sqrt(v) end
$$;
create or replace function acc."int"(v float8) returns float8 language sql immutable parallel safe as $$ select floor(v) $$;
create or replace function acc.fix(v float8) returns float8 language sql immutable parallel safe as $$ select trunc(v) $$;
create or replace function acc.exp(v float8) returns float8 language sql immutable parallel safe as $$ select exp(v) $$;
create or replace function acc.log(v float8) returns float8 language sql stable parallel safe as $$
  select case when v <= 0 then acc.fault('22023', v) else ln(v) end
$$;
create or replace function acc.atn(v float8) returns float8 language sql immutable parallel safe as $$ select atan(v) $$;
create or replace function acc.sin(v float8) returns float8 language sql immutable parallel safe as $$ select sin(v) $$;
create or replace function acc.cos(v float8) returns float8 language sql immutable parallel safe as $$ select cos(v) $$;
create or replace function acc.tan(v float8) returns float8 language sql immutable parallel safe as $$ select tan(v) $$;
-- Round(x [, decimals]): half to even
create or replace function acc.round(v float8, places float8 default 0) returns float8 language sql stable parallel safe as $$
  select case when v is null or places is null then null
    when acc.whole(places, -2147483648, 2147483647) < 0 then acc.fault('22023', v)
    else acc.round_even(v, least(acc.whole(places, -2147483648, 2147483647), 16)::int) end
$$;
-- CInt, CLng, CByte: half to even, then the type's range or an overflow; Null is an invalid use
create or replace function acc.conversion(v float8, low float8, high float8) returns bigint language sql stable parallel safe as $$
  select case when v is null then acc.fault('22023', null::bigint) else acc.whole(v, low, high) end
$$;
create or replace function acc.cint(v float8) returns bigint language sql stable parallel safe as $$ select acc.conversion(v, -32768, 32767) $$;
create or replace function acc.clng(v float8) returns bigint language sql stable parallel safe as $$ select acc.conversion(v, -2147483648, 2147483647) $$;
create or replace function acc.cbyte(v float8) returns bigint language sql stable parallel safe as $$ select acc.conversion(v, 0, 255) $$;
-- CSng: single precision, shown with its 7 significant digits
create or replace function acc.csng(v float8) returns float8 language sql stable parallel safe as $$
  select case when v is null then acc.fault('22023', v) when abs(v) > 3.402823466e38 then acc.fault('22003', v)
    else to_char(v, '9.999999EEEE')::float8 end
$$;
create or replace function acc.cdbl(v float8) returns float8 language sql stable parallel safe as $$
  select case when v is null then acc.fault('22023', v) else v end
$$;
create or replace function acc.ccur(v float8) returns float8 language sql stable parallel safe as $$
  select case when v is null then acc.fault('22023', v) else acc.store_currency(v) end
$$;
-- CBool: -1 for any number but 0, and for the texts True/False
create or replace function acc.cbool(v float8) returns int language sql stable parallel safe as $$
  select case when v is null then acc.fault('22023', 0) when v <> 0 then -1 else 0 end
$$;
create or replace function acc.cbool(v text) returns int language sql stable parallel safe as $$
  select case when v is null then acc.fault('22023', 0) when lower(btrim(v)) = 'true' then -1
    when lower(btrim(v)) = 'false' then 0 else acc.cbool(acc.num(v)) end
$$;
create or replace function acc.cbool(v timestamp) returns int language sql stable parallel safe as $$ select acc.cbool(acc.num(v)) $$;
create or replace function acc.cdate(v float8) returns timestamp language sql stable parallel safe as $$
  select case when v is null then acc.fault('22023', null::timestamp) else acc.date_result(acc.d(v)) end
$$;
create or replace function acc.cdate(v text) returns timestamp language sql stable parallel safe as $$
  select case when v is null then acc.fault('22023', null::timestamp) else acc.date_result(acc.d(v)) end
$$;
create or replace function acc.cdate(v timestamp) returns timestamp language sql stable parallel safe as $$
  select case when v is null then acc.fault('22023', null::timestamp) else acc.date_result(v) end
$$;
-- Val: the number at the start of the text, blanks skipped; 0 when there is none
create or replace function acc.val(v float8) returns float8 language sql immutable parallel safe as $$ select v $$;
create or replace function acc.val(v text) returns float8 language plpgsql immutable parallel safe as $$
declare
  t text := regexp_replace(v, '[ \t\n\r]', '', 'g');
  m text;
begin
  if v is null then return null; end if;
  if t ~* '^&h' then
    m := substring(t from '^&[hH]([0-9a-fA-F]*)');
    return coalesce(nullif(('x' || lpad(m, 16, '0'))::bit(64)::bigint, null), 0);
  end if;
  if t ~* '^&o' then
    m := substring(t from '^&[oO]([0-7]*)');
    return coalesce((select sum(substr(m, i, 1)::int * 8::numeric ^ (length(m) - i)) from generate_series(1, length(m)) i), 0);
  end if;
  m := substring(t from '^[+-]?(?:[0-9]+\.?[0-9]*|\.[0-9]+)(?:[eEdD][+-]?[0-9]+)?');
  if m is null or m !~ '[0-9]' then return 0; end if;
  return translate(m, 'dD', 'ee')::float8;
end $$;
create or replace function acc.val(v timestamp) returns float8 language sql immutable parallel safe as $$ select acc.val(acc.t(v)) $$;
-- Str: a number as text with a leading blank for its sign when it is not negative
create or replace function acc.str(v float8) returns text language sql immutable parallel safe as $$
  select case when v >= 0 then ' ' else '' end || acc.numtext(v)
$$;
create or replace function acc.hex(v float8) returns text language sql stable parallel safe as $$
  select upper(to_hex(acc.whole(v, -2147483648, 2147483647) & 4294967295))
$$;
create or replace function acc.oct(v float8) returns text language plpgsql stable parallel safe as $$
declare
  n bigint := acc.whole(v, -2147483648, 2147483647) & 4294967295;
  out text := '';
begin
  if n is null then return null; end if;
  loop
    out := (n % 8)::text || out;
    n := n / 8;
    exit when n = 0;
  end loop;
  return out;
end $$;
create or replace function acc.isnumeric(v float8) returns int language sql immutable parallel safe as $$ select -1 $$;
create or replace function acc.isnumeric(v text) returns int language sql immutable parallel safe as $$
  select case when acc.plain(v) then -1 else 0 end
$$;
create or replace function acc.isnumeric(v timestamp) returns int language sql immutable parallel safe as $$ select 0 $$;
create or replace function acc.isdate(v float8) returns int language sql immutable parallel safe as $$ select 0 $$;
create or replace function acc.isdate(v text) returns int language sql immutable parallel safe as $$
  select case when acc.in_range(acc.parse_date(v)) then -1 else 0 end
$$;
create or replace function acc.isdate(v timestamp) returns int language sql immutable parallel safe as $$
  select case when acc.in_range(v) then -1 else 0 end
$$;

-- ---- text functions: counts and positions in characters from 1 -----------------------------------
-- A count or position: a whole number from low up to a 32-bit integer's range; Null is an invalid use.
create or replace function acc.count(v float8, low bigint) returns bigint language sql stable parallel safe as $$
  select case when v is null then acc.fault('22023', 0::bigint)
    when not (acc.round_even(v) between -2147483648 and 2147483647) then acc.fault('22003', 0::bigint)
    when acc.round_even(v) < low then acc.fault('22023', 0::bigint)
    else acc.round_even(v)::bigint end
$$;
-- the compare argument: 0 binary, 1 text (letter case ignored)
create or replace function acc.caseless(mode float8) returns boolean language sql stable parallel safe as $$
  select case acc.count(mode, -1) when 0 then false when 1 then true when -1 then true else acc.fault('22023', true) end
$$;
create or replace function acc.len(v text) returns bigint language sql immutable parallel safe as $$ select length(v) $$;
create or replace function acc."left"(v text, n float8) returns text language sql stable parallel safe as $$
  select case when acc.count(n, 0) is null then null else left(v, acc.count(n, 0)::int) end
$$;
create or replace function acc."right"(v text, n float8) returns text language sql stable parallel safe as $$
  select case when acc.count(n, 0) is null then null else right(v, acc.count(n, 0)::int) end
$$;
create or replace function acc.mid(v text, start float8) returns text language sql stable parallel safe as $$
  select case when acc.count(start, 1) is null then null else substr(v, acc.count(start, 1)::int) end
$$;
create or replace function acc.mid(v text, start float8, n float8) returns text language sql stable parallel safe as $$
  select case when acc.count(start, 1) is null or acc.count(n, 0) is null then null
    else substr(v, acc.count(start, 1)::int, acc.count(n, 0)::int) end
$$;
-- InStr([start,] text, sought [, compare])
create or replace function acc.instr(start float8, v text, sought text, mode float8 default 1) returns bigint
language plpgsql stable parallel safe as $$
declare
  s bigint := acc.count(start, 1);
  nocase boolean := acc.caseless(mode);
  p int;
begin
  if v is null or sought is null then return null; end if;
  if s > length(v) then return 0; end if;
  if sought = '' then return s; end if;
  p := case when nocase then strpos(lower(substr(v, s::int)), lower(sought)) else strpos(substr(v, s::int), sought) end;
  return case when p = 0 then 0 else p + s - 1 end;
end $$;
create or replace function acc.instr(v text, sought text) returns bigint language sql stable parallel safe as $$
  select acc.instr(1, v, sought)
$$;
-- InStrRev(text, sought [, start [, compare]])
create or replace function acc.instrrev(v text, sought text, start float8 default -1, mode float8 default 1) returns bigint
language plpgsql stable parallel safe as $$
declare
  s bigint := acc.count(start, -1);
  nocase boolean := acc.caseless(mode);
  t text; f text; from_at bigint; i bigint;
begin
  if s = 0 then return acc.fault('22023', 0::bigint); end if;
  if v is null or sought is null then return null; end if;
  if s > length(v) then return 0; end if;
  if s < 0 then s := length(v); end if;
  if sought = '' then return s; end if;
  t := case when nocase then lower(v) else v end;
  f := case when nocase then lower(sought) else sought end;
  from_at := s - length(f);  -- 0-based
  i := from_at;
  while i >= 0 loop
    if substr(t, (i + 1)::int, length(f)) = f then return i + 1; end if;
    i := i - 1;
  end loop;
  return 0;
end $$;
-- Trim, LTrim, RTrim remove blanks (spaces), nothing else
create or replace function acc.trim(v text) returns text language sql immutable parallel safe as $$ select btrim(v, ' ') $$;
create or replace function acc.ltrim(v text) returns text language sql immutable parallel safe as $$ select ltrim(v, ' ') $$;
create or replace function acc.rtrim(v text) returns text language sql immutable parallel safe as $$ select rtrim(v, ' ') $$;
create or replace function acc.ucase(v text) returns text language sql immutable parallel safe as $$ select upper(v) $$;
create or replace function acc.lcase(v text) returns text language sql immutable parallel safe as $$ select lower(v) $$;
-- Replace(text, find, with [, start [, count [, compare]]]): the text from start on, with up to
-- count replacements (-1: all)
create or replace function acc.replace(v text, find text, repl text, start float8 default 1, n float8 default -1,
                                       mode float8 default 0) returns text language plpgsql stable parallel safe as $$
declare
  s bigint := acc.count(start, 1);
  k bigint := acc.count(n, -1);
  nocase boolean := acc.caseless(mode);
  rest text; out text := ''; done bigint := 0; p int;
begin
  if v is null then return null; end if;
  if find is null or repl is null then return acc.fault('22023', ''::text); end if;
  if s > length(v) then return ''; end if;
  rest := substr(v, s::int);
  if find = '' or k = 0 then return rest; end if;
  loop
    exit when k >= 0 and done >= k;
    p := case when nocase then strpos(lower(rest), lower(find)) else strpos(rest, find) end;
    exit when p = 0;
    out := out || substr(rest, 1, p - 1) || repl;
    rest := substr(rest, p + length(find));
    done := done + 1;
  end loop;
  return out || rest;
end $$;
create or replace function acc.space(n float8) returns text language sql stable parallel safe as $$
  select case when acc.count(n, 0) > 16777216 then acc.fault('22003', ''::text) else repeat(' ', acc.count(n, 0)::int) end
$$;
-- String(n, character): a character given as text (its first) or as a character code
create or replace function acc.string(n float8, c text) returns text language sql stable parallel safe as $$
  select case when acc.count(n, 0) > 16777216 then acc.fault('22003', ''::text)
    when c is null then null when c = '' then acc.fault('22023', ''::text)
    else repeat(left(c, 1), acc.count(n, 0)::int) end
$$;
create or replace function acc.string(n float8, code float8) returns text language sql stable parallel safe as $$
  select case when acc.count(n, 0) > 16777216 then acc.fault('22003', ''::text)
    when code is null then null else repeat(chr((acc.count(code, 0) % 256)::int), acc.count(n, 0)::int) end
$$;
create or replace function acc.strreverse(v text) returns text language sql immutable parallel safe as $$ select reverse(v) $$;
create or replace function acc.strcomp(a text, b text, mode float8 default 1) returns int language sql stable parallel safe as $$
  select case when acc.caseless(mode) is null then null when a is null or b is null then null
    when acc.caseless(mode) then (case when lower(a) collate "C" < lower(b) collate "C" then -1
                                       when lower(a) collate "C" > lower(b) collate "C" then 1 else 0 end)
    else (case when a collate "C" < b collate "C" then -1 when a collate "C" > b collate "C" then 1 else 0 end) end
$$;
create or replace function acc.asc(v text) returns bigint language sql stable parallel safe as $$
  select case when v is null or v = '' then acc.fault('22023', 0::bigint) else ascii(v) end
$$;
create or replace function acc.chr(n float8) returns text language sql stable parallel safe as $$
  select case when acc.count(n, -32768) > 65535 then acc.fault('22023', ''::text)
    else chr((acc.count(n, -32768) & 65535)::int) end
$$;

-- ---- dates ------------------------------------------------------------------------------------
create or replace function acc.now() returns timestamp language sql volatile as $$
  select date_trunc('second', clock_timestamp()::timestamp)
$$;
create or replace function acc.date() returns timestamp language sql volatile as $$
  select date_trunc('day', clock_timestamp()::timestamp)
$$;
create or replace function acc.time() returns timestamp language sql volatile as $$
  select timestamp '1899-12-30' + date_trunc('second', clock_timestamp()::timestamp)::time
$$;
create or replace function acc.year(d timestamp) returns bigint language sql immutable parallel safe as $$ select extract(year from d)::bigint $$;
create or replace function acc.month(d timestamp) returns bigint language sql immutable parallel safe as $$ select extract(month from d)::bigint $$;
create or replace function acc.day(d timestamp) returns bigint language sql immutable parallel safe as $$ select extract(day from d)::bigint $$;
create or replace function acc.hour(d timestamp) returns bigint language sql immutable parallel safe as $$ select extract(hour from d)::bigint $$;
create or replace function acc.minute(d timestamp) returns bigint language sql immutable parallel safe as $$ select extract(minute from d)::bigint $$;
create or replace function acc.second(d timestamp) returns bigint language sql immutable parallel safe as $$ select floor(extract(second from d))::bigint $$;
-- the first day of the week (1 Sunday … 7 Saturday; 0 and a missing one mean Sunday)
create or replace function acc.first_day(v float8) returns int language sql stable parallel safe as $$
  select case when v is null then 1
    when acc.whole(v, -2147483648, 2147483647) not between 0 and 7 then acc.fault('22023', 0)
    when acc.whole(v, -2147483648, 2147483647) = 0 then 1 else acc.whole(v, -2147483648, 2147483647)::int end
$$;
-- 1 … 7 for d, counted from the first day
create or replace function acc.weekday_from(d timestamp, first int) returns int language sql immutable parallel safe as $$
  select ((extract(dow from d)::int + 1 - first + 7) % 7) + 1
$$;
create or replace function acc.weekday(d timestamp, first float8 default 1) returns bigint language sql stable parallel safe as $$
  select case when acc.first_day(first) is null or d is null then null else acc.weekday_from(d, acc.first_day(first)) end
$$;
-- DateSerial(year, month, day): months and days beyond their range roll over into the next
create or replace function acc.dateserial(y float8, m float8, d float8) returns timestamp language plpgsql stable parallel safe as $$
declare
  yy bigint; mm bigint; dd bigint; months bigint; year bigint;
begin
  if y is null or m is null or d is null then return acc.fault('22023', null::timestamp); end if;
  yy := acc.whole(y, -32768, 32767); mm := acc.whole(m, -32768, 32767); dd := acc.whole(d, -32768, 32767);
  if yy >= 0 and yy < 30 then yy := yy + 2000; elsif yy >= 30 and yy < 100 then yy := yy + 1900; end if;
  months := yy * 12 + (mm - 1);
  year := floor(months / 12.0);
  if year < 100 or year > 9999 then return acc.fault('22023', null::timestamp); end if;
  return acc.date_result(make_timestamp(year::int, (months - year * 12)::int + 1, 1, 0, 0, 0) + make_interval(days => (dd - 1)::int));
end $$;
create or replace function acc.timeserial(h float8, m float8, s float8) returns timestamp language sql stable parallel safe as $$
  select acc.date_result(timestamp '1899-12-30' + make_interval(secs => acc.whole(h, -32768, 32767) * 3600
         + acc.whole(m, -32768, 32767) * 60 + acc.whole(s, -32768, 32767)))
$$;
create or replace function acc.datevalue(d timestamp) returns timestamp language sql stable parallel safe as $$
  select acc.date_result(date_trunc('day', d))
$$;
create or replace function acc.timevalue(d timestamp) returns timestamp language sql stable parallel safe as $$
  select acc.date_result(timestamp '1899-12-30' + d::time)
$$;
create or replace function acc.interval_code(v text) returns text language sql immutable parallel safe as $$
  select case when lower(btrim(v)) in ('yyyy', 'q', 'm', 'y', 'd', 'w', 'ww', 'h', 'n', 's') then lower(btrim(v)) end
$$;
-- DateAdd(interval, number, date): a month added to 31 January gives the last day of February
create or replace function acc.dateadd(code text, n float8, d timestamp) returns timestamp language plpgsql stable parallel safe as $$
declare
  c text := acc.interval_code(code);
  k float8;
  r timestamp;
begin
  if n is null or d is null then return null; end if;
  if c is null then return acc.fault('22023', d); end if;
  k := acc.round_even(n);  -- a number that is not whole is rounded to one
  if abs(k) > 4.0e9 then return acc.fault('22023', d); end if;
  if (c = 'yyyy' and abs(k) > 10000) or (c = 'q' and abs(k) > 40000) or (c = 'm' and abs(k) > 120000)
     or (c in ('y', 'd', 'w') and abs(k) > 4000000) or (c = 'ww' and abs(k) > 600000)
     or (c = 'h' and abs(k) > 96000000) or (c = 'n' and abs(k) > 5760000000) then
    return acc.fault('22023', d);
  end if;
  r := case c
    when 'yyyy' then d + make_interval(months => (k * 12)::int)
    when 'q' then d + make_interval(months => (k * 3)::int)
    when 'm' then d + make_interval(months => k::int)
    when 'ww' then d + make_interval(days => (k * 7)::int)
    when 'h' then d + make_interval(hours => k::int)
    when 'n' then d + make_interval(mins => k::int)
    when 's' then d + k * interval '1 second'
    else d + make_interval(days => k::int) end;
  return acc.date_result(r);
end $$;
create or replace function acc.julian(d timestamp) returns bigint language sql immutable parallel safe as $$ select to_char(d, 'J')::bigint $$;
create or replace function acc.floordiv(a bigint, b bigint) returns bigint language sql immutable parallel safe as $$
  select floor(a::numeric / b)::bigint
$$;
-- DateDiff counts the boundaries of the interval crossed from date1 to date2
create or replace function acc.datediff(code text, a timestamp, b timestamp, first float8 default 1, week float8 default 1)
returns bigint language plpgsql stable parallel safe as $$
declare
  f int := acc.first_day(first);
  c text := acc.interval_code(code);
  r bigint;
  sa bigint; sb bigint;
begin
  if c is null then return acc.fault('22023', 0::bigint); end if;
  if a is null or b is null then return null; end if;
  sa := acc.julian(a) * 86400 + extract(epoch from a::time)::bigint;
  sb := acc.julian(b) * 86400 + extract(epoch from b::time)::bigint;
  r := case c
    when 'yyyy' then extract(year from b) - extract(year from a)
    when 'q' then (extract(year from b) * 4 + (extract(month from b)::int - 1) / 3) - (extract(year from a) * 4 + (extract(month from a)::int - 1) / 3)
    when 'm' then (extract(year from b) * 12 + extract(month from b)) - (extract(year from a) * 12 + extract(month from a))
    when 'w' then (acc.julian(b) - acc.julian(a)) / 7
    when 'ww' then acc.floordiv(acc.julian(b) + 1 - (f - 1), 7) - acc.floordiv(acc.julian(a) + 1 - (f - 1), 7)
    when 'h' then acc.floordiv(sb, 3600) - acc.floordiv(sa, 3600)
    when 'n' then acc.floordiv(sb, 60) - acc.floordiv(sa, 60)
    when 's' then sb - sa
    else acc.julian(b) - acc.julian(a) end;
  if r not between -2147483648 and 2147483647 then return acc.fault('22003', 0::bigint); end if;
  return r;
end $$;
-- DatePart(interval, date [, firstdayofweek [, firstweekofyear]]): week 1 is the week of 1 January
create or replace function acc.datepart(code text, d timestamp, first float8 default 1, week float8 default 1)
returns bigint language plpgsql stable parallel safe as $$
declare
  f int := acc.first_day(first);
  c text := acc.interval_code(code);
begin
  if c is null then return acc.fault('22023', 0::bigint); end if;
  if d is null then return null; end if;
  return case c
    when 'yyyy' then extract(year from d)
    when 'q' then (extract(month from d)::int - 1) / 3 + 1
    when 'm' then extract(month from d)
    when 'y' then extract(doy from d)
    when 'd' then extract(day from d)
    when 'w' then acc.weekday_from(d, f)
    when 'ww' then (extract(doy from d)::int - 1 + (acc.weekday_from(date_trunc('year', d), f) - 1)) / 7 + 1
    when 'h' then extract(hour from d)
    when 'n' then extract(minute from d)
    else floor(extract(second from d)) end;
end $$;
create or replace function acc.monthname(m float8, abbreviate float8 default 0) returns text language sql stable parallel safe as $$
  select case when acc.whole(m, -2147483648, 2147483647) not between 1 and 12 then acc.fault('22023', ''::text)
    when coalesce(acc.whole(abbreviate, -2147483648, 2147483647), 0) <> 0 then acc.whole(m, 1, 12) || '月'
    else (array['一月','二月','三月','四月','五月','六月','七月','八月','九月','十月','十一月','十二月'])[acc.whole(m, 1, 12)] end
$$;
create or replace function acc.weekdayname(w float8, abbreviate float8 default 0, first float8 default 1) returns text
language sql stable parallel safe as $$
  select case when acc.whole(w, -2147483648, 2147483647) not between 1 and 7 then acc.fault('22023', ''::text)
    when coalesce(acc.whole(abbreviate, -2147483648, 2147483647), 0) <> 0
      then (array['周日','周一','周二','周三','周四','周五','周六'])[((acc.whole(w, 1, 7) - 1 + acc.first_day(first) - 1) % 7) + 1]
    else (array['星期日','星期一','星期二','星期三','星期四','星期五','星期六'])[((acc.whole(w, 1, 7) - 1 + acc.first_day(first) - 1) % 7) + 1] end
$$;
)sql";
}
