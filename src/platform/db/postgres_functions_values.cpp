// The PostgreSQL implementations of the expression language: the reading of values, dates and rounding (SQL run on first connection).
#include "platform/db/postgres_functions.h"

const char *pgfunctions::valuesScript()
{
    return R"sql(
-- The implementations of the old engine's expression language for PostgreSQL: faults, the reading
-- of values as numbers, texts and dates, the operators and the checks of stored values.
create schema if not exists acc;

-- A fault of the language, raised with the SQLSTATE the connection numbers it by; witness gives
-- the result's type (the call never returns).
create or replace function acc.fault(state text, witness anyelement) returns anyelement
language plpgsql stable as $$
begin
  raise exception using errcode = state, message = case state
    when '22003' then '溢出' when '22012' then '除数为零' when '22023' then '无效的过程调用或参数'
    else '类型不匹配' end;
end $$;

-- a refusal worded by the database itself (a closed month, ...)
create or replace function acc.raise(message text) returns void language plpgsql stable as $$
begin
  raise exception using errcode = 'P0001', message = message;
end $$;

-- ---- numbers as text: whole numbers plainly, others with up to 15 significant digits -----------
create or replace function acc.numtext(v float8) returns text language sql immutable parallel safe
set extra_float_digits = 0 as $$
  select case when v = trunc(v) and abs(v) < 1e15 then (v::bigint)::text
    else replace(replace(v::text, 'e+', 'E+'), 'e-', 'E-') end
$$;

-- ---- values read as numbers ---------------------------------------------------------------------
create or replace function acc.plain(t text) returns boolean language sql immutable parallel safe as $$
  select t ~ '^\s*[+-]?([0-9]+\.?[0-9]*|\.[0-9]+)([eE][+-]?[0-9]+)?\s*$'
$$;
create or replace function acc.num(v float8) returns float8 language sql immutable parallel safe as $$ select v $$;
create or replace function acc.num(v text) returns float8 language sql stable parallel safe as $$
  select case when v is null then null when acc.plain(v) then v::float8 else acc.fault('22P02', null::float8) end
$$;
create or replace function acc.num(v timestamp) returns float8 language sql stable parallel safe as $$
  select case when v is null then null else acc.fault('22P02', null::float8) end
$$;
-- as the conversions read numbers: thousands grouped by commas allowed
create or replace function acc.cnum(v float8) returns float8 language sql immutable parallel safe as $$ select v $$;
create or replace function acc.cnum(v text) returns float8 language sql stable parallel safe as $$
  select case when v ~ '^\s*[+-]?[0-9]{1,3}(,[0-9]{3})+(\.[0-9]*)?\s*$' then replace(v, ',', '')::float8 else acc.num(v) end
$$;
create or replace function acc.cnum(v timestamp) returns float8 language sql stable parallel safe as $$ select acc.num(v) $$;

-- ---- values read as texts: numbers in their shortest text, dates as stored -----------------------
create or replace function acc.t(v text) returns text language sql immutable parallel safe as $$ select v $$;
create or replace function acc.t(v float8) returns text language sql immutable parallel safe as $$ select acc.numtext(v) $$;
create or replace function acc.t(v bigint) returns text language sql immutable parallel safe as $$ select v::text $$;
create or replace function acc.t(v timestamp) returns text language sql immutable parallel safe as $$
  select to_char(v, 'YYYY-MM-DD HH24:MI:SS')
$$;

-- ---- values read as dates: stored texts, the old engine's literal texts, day numbers ------------
create or replace function acc.parse_date(v text) returns timestamp language plpgsql immutable parallel safe as $$
declare
  t text := regexp_replace(btrim(v), '\s+', ' ', 'g');
  ampm int := 0;
  m text[];
  date_part text; time_part text; part text;
  y int := 1899; mo int := 12; d int := 30; h int := 0; mi int := 0; s int := 0;
  f text[];
begin
  if t is null then return null; end if;
  t := regexp_replace(t, '^([0-9]{4}-[0-9]{2}-[0-9]{2})T', '\1 ');
  -- yyyyMMdd too: the personnel fields accept a date typed as eight digits
  t := regexp_replace(t, '^([0-9]{4})([0-9]{2})([0-9]{2})( |$)', '\1-\2-\3\4');
  if position('上午' in t) > 0 then ampm := 1; t := replace(t, '上午', '');
  elsif position('下午' in t) > 0 then ampm := 2; t := replace(t, '下午', '');
  elsif t ~* 'AM' then ampm := 1; t := regexp_replace(t, 'AM', '', 'i');
  elsif t ~* 'PM' then ampm := 2; t := regexp_replace(t, 'PM', '', 'i');
  elsif t ~* 'A' then ampm := 1; t := regexp_replace(t, 'A', '', 'i');
  elsif t ~* 'P' then ampm := 2; t := regexp_replace(t, 'P', '', 'i');
  end if;
  foreach part in array regexp_split_to_array(btrim(t), ' +') loop
    continue when part = '';
    if position(':' in part) > 0 then time_part := part;
    elsif date_part is null then date_part := part;
    else return null;
    end if;
  end loop;
  if date_part is not null then
    f := string_to_array(translate(date_part, '/.', '--'), '-');
    if array_length(f, 1) <> 3 or f[1] !~ '^[+-]?[0-9]+$' or f[2] !~ '^[+-]?[0-9]+$' or f[3] !~ '^[+-]?[0-9]+$'
       or length(f[1]) > 9 or length(f[2]) > 9 or length(f[3]) > 9 then
      return null;
    end if;
    if length(f[1]) >= 3 then y := f[1]::int; mo := f[2]::int; d := f[3]::int;
    else
      mo := f[1]::int; d := f[2]::int; y := f[3]::int;
      if length(f[3]) <= 2 then y := case when y < 30 then 2000 + y else 1900 + y end; end if;
    end if;
  elsif time_part is null then
    return null;
  end if;
  if time_part is not null then
    f := string_to_array(time_part, ':');
    if array_length(f, 1) not between 2 and 3 or f[1] !~ '^[+-]?[0-9]{1,9}$' or f[2] !~ '^[+-]?[0-9]{1,9}$'
       or (array_length(f, 1) = 3 and not acc.plain(f[3])) then
      return null;
    end if;
    h := f[1]::int; mi := f[2]::int;
    if array_length(f, 1) = 3 then s := trunc(f[3]::float8); end if;
    if ampm = 2 and h < 12 then h := h + 12; elsif ampm = 1 and h = 12 then h := 0; end if;
  elsif ampm <> 0 then
    return null;
  end if;
  if y < 1 or y > 9999 or mo < 1 or mo > 12 or d < 1 or h < 0 or h > 23 or mi < 0 or mi > 59 or s < 0 or s > 59 then
    return null;
  end if;
  if d > extract(day from (make_date(y, mo, 1) + interval '1 month - 1 day')) then return null; end if;
  return make_timestamp(y, mo, d, h, mi, s);
end $$;

-- a day number of the old engine (days since 1899-12-30, the fraction the time of day)
create or replace function acc.serial_date(s float8) returns timestamp language sql immutable parallel safe as $$
  select timestamp '1899-12-30'
         + make_interval(days => (case when s < 0 and s <> floor(s) then floor(s) + 1 else floor(s) end)::int)
         + make_interval(secs => floor(abs(s - trunc(s)) * 86400 + 0.5))
$$;
create or replace function acc.in_range(v timestamp) returns boolean language sql immutable parallel safe as $$
  select v >= timestamp '0100-01-01' and v < timestamp '10000-01-01'
$$;
create or replace function acc.d(v timestamp) returns timestamp language sql immutable parallel safe as $$ select v $$;
create or replace function acc.d(v float8) returns timestamp language sql stable parallel safe as $$
  select case when v is null then null
    when not (v >= -657434 and v < 2958466) then acc.fault('22003', null::timestamp)
    else acc.serial_date(v) end
$$;
create or replace function acc.d(v text) returns timestamp language sql stable parallel safe as $$
  select case when v is null then null else coalesce(acc.parse_date(v), acc.fault('22P02', null::timestamp)) end
$$;
-- a date result: outside the years 100 to 9999 an invalid call
create or replace function acc.date_result(v timestamp) returns timestamp language sql stable parallel safe as $$
  select case when v is null or acc.in_range(v) then v else acc.fault('22023', null::timestamp) end
$$;
-- the old engine's general date text: 2005-4-30, 2005-4-30 14:09:00, 14:09:00
create or replace function acc.general_date(v timestamp) returns text language sql immutable parallel safe as $$
  select case when v::date = date '1899-12-30' then to_char(v, 'FMHH24:MI:SS')
    when v::time = time '00:00' then to_char(v, 'FMYYYY-FMMM-FMDD')
    else to_char(v, 'FMYYYY-FMMM-FMDD FMHH24:MI:SS') end
$$;

-- ---- half-to-even rounding on the number's 15 significant digits --------------------------------
create or replace function acc.round_even(v float8, places int default 0) returns float8 language plpgsql immutable parallel safe as $$
declare
  scale float8 := 10::float8 ^ least(greatest(places, 0), 15);
  y float8; fraction float8; at15 float8; snapped float8; whole float8;
begin
  if v is null then return null; end if;
  if places > 15 or v in ('Infinity', '-Infinity', 'NaN') then return v; end if;
  y := v * scale;
  if abs(y) < 4.0e15 then
    fraction := y - floor(y);
    if abs(fraction - 0.5) > abs(y) * 1e-14 + 1e-300 then
      return (case when fraction < 0.5 then floor(y) else floor(y) + 1 end) / scale + 0.0;
    end if;
  end if;
  at15 := to_char(v, '9.99999999999999EEEE')::float8;
  if abs(at15 * scale) >= 4.5e15 then return at15; end if;
  snapped := to_char(at15 * scale, '9.99999999999999EEEE')::float8;
  fraction := snapped - floor(snapped);
  if fraction > 0.5 then whole := floor(snapped) + 1;
  elsif fraction < 0.5 then whole := floor(snapped);
  elsif mod(floor(snapped)::numeric, 2) = 0 then whole := floor(snapped);
  else whole := floor(snapped) + 1;
  end if;
  return to_char(whole / scale, '9.99999999999999EEEE')::float8 + 0.0;
end $$;

-- a whole number argument, rounded half to even, within [low, high]
create or replace function acc.whole(v float8, low float8, high float8) returns bigint language sql stable parallel safe as $$
  select case when v is null then null
    when not (acc.round_even(v) between low and high) then acc.fault('22003', null::bigint)
    else acc.round_even(v)::bigint end
$$;

-- ---- the old database's column types that PostgreSQL has no name of its own for ------------------
do $$
begin
  if to_regtype('acc.single') is null then create domain acc.single as double precision; end if;
  if to_regtype('acc.currency') is null then create domain acc.currency as double precision; end if;
  if to_regtype('acc.byte') is null then create domain acc.byte as smallint; end if;
  if to_regtype('acc.yesno') is null then create domain acc.yesno as smallint; end if;
end $$;
)sql";
}
