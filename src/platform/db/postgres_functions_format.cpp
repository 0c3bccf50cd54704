// The PostgreSQL implementations of the expression language: Format (SQL run on first connection).
#include "platform/db/postgres_functions.h"

const char *pgfunctions::formatScript()
{
    return R"sql(
-- ---- Format(value, pattern): numbers and dates by the old engine's patterns ---------------------
create or replace function acc.named_format(p text, out pattern text, out is_date boolean)
language sql immutable parallel safe as $$
  select pat, d from (values ('fixed', '0.00', false), ('standard', '#,##0.00', false), ('percent', '0.00%', false),
    ('scientific', '0.00E+00', false), ('currency', '￥#,##0.00;-￥#,##0.00', false),
    ('long date', 'yyyy"年"m"月"d"日"', true), ('medium date', 'yy-mm-dd', true), ('short date', 'yyyy-m-d', true),
    ('long time', 'h:nn:ss', true), ('medium time', 'hh:nn AMPM', true), ('short time', 'hh:nn', true)) f(n, pat, d)
  where n = lower(btrim(p))
$$;

-- |v| rounded half away from zero on its 15 significant digits to places decimals
create or replace function acc.rounded_digits(v float8, places int, out int_part text, out frac_part text)
language plpgsql immutable parallel safe as $$
declare
  r text := round(to_char(abs(v), '9.99999999999999EEEE')::numeric, places)::text;
begin
  int_part := split_part(r, '.', 1);
  frac_part := rpad(split_part(r, '.', 2), places, '0');
end $$;

create or replace function acc.grouped(digits text) returns text language plpgsql immutable parallel safe as $$
declare
  out text := '';
  n int := length(digits);
begin
  for i in 1 .. n loop
    if i > 1 and (n - i + 1) % 3 = 0 then out := out || ','; end if;
    out := out || substr(digits, i, 1);
  end loop;
  return out;
end $$;

-- splits a pattern at ';' outside quoted literals
create or replace function acc.sections(p text) returns text[] language plpgsql immutable parallel safe as $$
declare
  out text[] := '{}';
  cur text := '';
  quoted boolean := false;
  i int := 1;
  c text;
begin
  while i <= length(p) loop
    c := substr(p, i, 1);
    if c = '"' then quoted := not quoted; end if;
    if c = '\' and i < length(p) then
      cur := cur || c || substr(p, i + 1, 1);
      i := i + 2;
      continue;
    end if;
    if c = ';' and not quoted then out := out || cur; cur := '';
    else cur := cur || c;
    end if;
    i := i + 1;
  end loop;
  return out || cur;
end $$;

create or replace function acc.format_scientific(v float8, section text) returns text language plpgsql immutable parallel safe as $$
declare
  point int := strpos(section, '.');
  e int := strpos(upper(section), 'E');
  places int := case when point > 0 and point < e then e - point - 1 else 0 end;
  s text := btrim(to_char(v, case when places > 0 then '9.' || repeat('9', places) else '9' end || 'EEEE'));
  mantissa text := split_part(s, 'e', 1);
  ex int := split_part(s, 'e', 2)::int;
  show_plus boolean := substr(section, e + 1, 1) = '+';
  ex_digits int := greatest(1, length(section) - e - 1);
begin
  return mantissa || substr(section, e, 1) || case when ex < 0 then '-' when show_plus then '+' else '' end
         || lpad(abs(ex)::text, greatest(ex_digits, length(abs(ex)::text)), '0');
end $$;

-- one section of a number pattern applied to a value (its sign handled by the caller)
create or replace function acc.format_section(v float8, section text) returns text language plpgsql immutable parallel safe as $$
declare
  kinds text[] := '{}';  -- 0 # . , % L
  texts text[] := '{}';
  has_point boolean := false;
  i int := 1; n int := length(section); c text; e int;
  point_at int; max_dec int := 0; min_dec int := 0; min_int int := 0; int_places int := 0;
  first_place int := -1; last_int_place int := -1; grouping boolean := false; inner_literal boolean := false;
  int_digits text; frac_digits text; out text := ''; int_out text; d int; f int := 0; place boolean;
begin
  while i <= n loop
    c := substr(section, i, 1);
    if c = '"' then
      e := strpos(substr(section, i + 1), '"');
      kinds := kinds || 'L'::text;
      texts := texts || case when e = 0 then substr(section, i + 1) else substr(section, i + 1, e - 1) end;
      i := case when e = 0 then n + 1 else i + e + 1 end;
      continue;
    elsif c = '\' and i < n then
      kinds := kinds || 'L'::text; texts := texts || substr(section, i + 1, 1); i := i + 2; continue;
    elsif c in ('E', 'e') and i < n and substr(section, i + 1, 1) in ('+', '-') then
      return acc.format_scientific(v, section);
    elsif c = '0' then kinds := kinds || '0'::text; texts := texts || ''::text;
    elsif c = '#' then kinds := kinds || '#'::text; texts := texts || ''::text;
    elsif c = '.' and not has_point then kinds := kinds || '.'::text; texts := texts || ''::text; has_point := true;
    elsif c = ',' then kinds := kinds || ','::text; texts := texts || ''::text;
    elsif c = '%' then kinds := kinds || '%'::text; texts := texts || ''::text; v := v * 100;
    else kinds := kinds || 'L'::text; texts := texts || c;
    end if;
    i := i + 1;
  end loop;
  n := coalesce(array_length(kinds, 1), 0);
  point_at := n + 1;
  for k in 1 .. n loop
    if kinds[k] = '.' then point_at := k; end if;
  end loop;
  for k in 1 .. n loop
    place := kinds[k] in ('0', '#');
    if k < point_at then
      if place then
        int_places := int_places + 1;
        if kinds[k] = '0' then min_int := min_int + 1; end if;
        if first_place < 0 then first_place := k; end if;
        last_int_place := k;
      end if;
      if kinds[k] = ',' and first_place >= 0 then grouping := true; end if;
      if kinds[k] = 'L' and first_place >= 0 then inner_literal := true; end if;
    elsif place then
      max_dec := max_dec + 1;
      if kinds[k] = '0' then min_dec := max_dec; end if;
    end if;
  end loop;
  if int_places = 0 and max_dec = 0 and not has_point then
    return array_to_string(texts, '');
  end if;
  select r.int_part, r.frac_part into int_digits, frac_digits from acc.rounded_digits(v, max_dec) r;
  while length(frac_digits) > min_dec and right(frac_digits, 1) = '0' loop
    frac_digits := left(frac_digits, -1);
  end loop;
  if int_digits = '0' and min_int = 0 then int_digits := ''; end if;
  if length(int_digits) < min_int then int_digits := repeat('0', min_int - length(int_digits)) || int_digits; end if;
  if inner_literal then
    -- digit places among literals ("000-0000"): filled from the right, extra digits in front
    int_out := '';
    d := length(int_digits);
    for k in reverse point_at - 1 .. 1 loop
      if kinds[k] in ('0', '#') then
        if k = first_place then int_out := left(int_digits, d) || int_out; d := 0;
        elsif d >= 1 then int_out := substr(int_digits, d, 1) || int_out; d := d - 1;
        end if;
      elsif kinds[k] = 'L' then int_out := texts[k] || int_out;
      elsif kinds[k] = '%' then int_out := '%' || int_out;
      end if;
    end loop;
    out := int_out;
  else
    for k in 1 .. point_at - 1 loop
      if k = last_int_place then out := out || case when grouping then acc.grouped(int_digits) else int_digits end;
      elsif kinds[k] = 'L' then out := out || texts[k];
      elsif kinds[k] = '%' then out := out || '%';
      end if;
    end loop;
    if last_int_place < 0 then out := out || int_digits; end if;
  end if;
  for k in point_at .. n loop
    if kinds[k] = '.' then out := out || '.';
    elsif kinds[k] in ('0', '#') then
      if f < length(frac_digits) then out := out || substr(frac_digits, f + 1, 1); end if;
      f := f + 1;
    elsif kinds[k] = '%' then out := out || '%';
    elsif kinds[k] = 'L' then out := out || texts[k];
    end if;
  end loop;
  return out;
end $$;

create or replace function acc.format_number(v float8, pattern text) returns text language plpgsql immutable parallel safe as $$
declare
  p text := lower(btrim(pattern));
  named text;
  secs text[];
  body text;
begin
  if p = '' or p = 'general number' then return acc.numtext(v); end if;
  if p = 'yes/no' then return case when v <> 0 then '是' else '否' end; end if;
  if p = 'true/false' then return case when v <> 0 then '真' else '假' end; end if;
  if p = 'on/off' then return case when v <> 0 then '开' else '关' end; end if;
  named := (acc.named_format(pattern)).pattern;
  if named is not null then return acc.format_number(v, named); end if;
  secs := acc.sections(pattern);
  if v = 0 and array_length(secs, 1) >= 3 and secs[3] <> '' then return acc.format_section(0, secs[3]); end if;
  if v < 0 and array_length(secs, 1) >= 2 and secs[2] <> '' then return acc.format_section(-v, secs[2]); end if;
  body := acc.format_section(abs(v), secs[1]);
  return case when v < 0 and body ~ '[1-9]' then '-' || body else body end;
end $$;

-- the parts of a date pattern: kinds (L literal, yyyy, yy, y, m, mm, mmm, mmmm, d, dd, ddd, dddd, h, hh,
-- n, nn, s, ss, ampm, q, w, ww, c) and their texts (the literal, or the AM/PM pair "AM|PM")
create or replace function acc.date_parts(p text, out kinds text[], out texts text[]) language plpgsql immutable parallel safe as $$
declare
  i int := 1; len int := length(p); c text; lc text; n int; e int; k text;
  before text; after text;
begin
  kinds := '{}'; texts := '{}';
  while i <= len loop
    c := substr(p, i, 1); lc := lower(c); n := 1;
    while i + n <= len and lower(substr(p, i + n, 1)) = lc loop n := n + 1; end loop;
    k := null;
    if c = '"' then
      e := strpos(substr(p, i + 1), '"');
      kinds := kinds || 'L'::text;
      texts := texts || case when e = 0 then substr(p, i + 1) else substr(p, i + 1, e - 1) end;
      i := case when e = 0 then len + 1 else i + e + 1 end;
      continue;
    elsif c = '\' and i < len then
      kinds := kinds || 'L'::text; texts := texts || substr(p, i + 1, 1); i := i + 2; continue;
    elsif lc = 'y' then k := case when n >= 3 then 'yyyy' when n = 2 then 'yy' else 'y' end;
    elsif lc = 'm' then k := case when n >= 4 then 'mmmm' when n = 3 then 'mmm' when n = 2 then 'mm' else 'm' end;
    elsif lc = 'd' then k := case when n >= 4 then 'dddd' when n = 3 then 'ddd' when n = 2 then 'dd' else 'd' end;
    elsif lc = 'h' then k := case when n >= 2 then 'hh' else 'h' end;
    elsif lc = 'n' then k := case when n >= 2 then 'nn' else 'n' end;
    elsif lc = 's' then k := case when n >= 2 then 'ss' else 's' end;
    elsif lc = 'q' then k := 'q'; n := 1;
    elsif lc = 'w' then k := case when n >= 2 then 'ww' else 'w' end; n := least(n, 2);
    elsif lc = 'c' and n = 1 then k := 'c';
    elsif lower(substr(p, i, 4)) = 'ampm' then
      kinds := kinds || 'ampm'::text; texts := texts || '上午|下午'::text; i := i + 4; continue;
    elsif lower(substr(p, i, 5)) = 'am/pm' then
      kinds := kinds || 'ampm'::text; texts := texts || case when c = upper(c) then 'AM|PM' else 'am|pm' end; i := i + 5; continue;
    elsif lower(substr(p, i, 3)) = 'a/p' then
      kinds := kinds || 'ampm'::text; texts := texts || case when c = upper(c) then 'A|P' else 'a|p' end; i := i + 3; continue;
    end if;
    if k is null then
      kinds := kinds || 'L'::text; texts := texts || c; i := i + 1;
    else
      kinds := kinds || k; texts := texts || ''::text; i := i + n;
    end if;
  end loop;
  -- m and mm right after an hour or right before a second are minutes
  for j in 1 .. coalesce(array_length(kinds, 1), 0) loop
    continue when kinds[j] not in ('m', 'mm');
    before := null; after := null;
    for b in reverse j - 1 .. 1 loop
      if kinds[b] <> 'L' then before := kinds[b]; exit; end if;
    end loop;
    for a in j + 1 .. coalesce(array_length(kinds, 1), 0) loop
      if kinds[a] <> 'L' then after := kinds[a]; exit; end if;
    end loop;
    if before in ('h', 'hh') or after in ('s', 'ss') then
      kinds[j] := case when kinds[j] = 'm' then 'n' else 'nn' end;
    end if;
  end loop;
end $$;

create or replace function acc.is_date_pattern(pattern text) returns boolean language sql immutable parallel safe as $$
  select case when (acc.named_format(pattern)).pattern is not null then (acc.named_format(pattern)).is_date
    when lower(btrim(pattern)) = 'general date' then true
    when lower(btrim(pattern)) in ('general number', 'yes/no', 'true/false', 'on/off') then false
    else exists (select 1 from unnest((acc.date_parts(pattern)).kinds) k where k <> 'L') end
$$;

create or replace function acc.format_date(dt timestamp, pattern text) returns text language plpgsql immutable parallel safe as $$
declare
  p text := lower(btrim(pattern));
  named text := (acc.named_format(pattern)).pattern;
  parts record;
  twelve boolean;
  hour int;
  out text := '';
  months text[] := array['一月','二月','三月','四月','五月','六月','七月','八月','九月','十月','十一月','十二月'];
  days_long text[] := array['星期日','星期一','星期二','星期三','星期四','星期五','星期六'];
  days_short text[] := array['周日','周一','周二','周三','周四','周五','周六'];
  dow int := extract(dow from dt)::int;
begin
  if p = '' or p = 'general date' then return acc.general_date(dt); end if;
  if named is not null then return acc.format_date(dt, named); end if;
  parts := acc.date_parts(pattern);
  twelve := 'ampm' = any(parts.kinds);
  hour := extract(hour from dt)::int;
  if twelve then hour := case when hour % 12 = 0 then 12 else hour % 12 end; end if;
  for j in 1 .. coalesce(array_length(parts.kinds, 1), 0) loop
    out := out || case parts.kinds[j]
      when 'L' then parts.texts[j]
      when 'yyyy' then lpad(extract(year from dt)::text, 4, '0')
      when 'yy' then lpad((extract(year from dt)::int % 100)::text, 2, '0')
      when 'y' then extract(doy from dt)::text
      when 'm' then extract(month from dt)::text
      when 'mm' then lpad(extract(month from dt)::text, 2, '0')
      when 'mmm' then extract(month from dt)::text || '月'
      when 'mmmm' then months[extract(month from dt)::int]
      when 'd' then extract(day from dt)::text
      when 'dd' then lpad(extract(day from dt)::text, 2, '0')
      when 'ddd' then days_short[dow + 1]
      when 'dddd' then days_long[dow + 1]
      when 'h' then hour::text
      when 'hh' then lpad(hour::text, 2, '0')
      when 'n' then extract(minute from dt)::text
      when 'nn' then lpad(extract(minute from dt)::text, 2, '0')
      when 's' then floor(extract(second from dt))::text
      when 'ss' then lpad(floor(extract(second from dt))::text, 2, '0')
      when 'ampm' then split_part(parts.texts[j], '|', case when extract(hour from dt) < 12 then 1 else 2 end)
      when 'q' then ((extract(month from dt)::int - 1) / 3 + 1)::text
      when 'w' then (dow + 1)::text
      when 'ww' then ((extract(doy from dt)::int + extract(dow from date_trunc('year', dt))::int - 1) / 7 + 1)::text
      else acc.general_date(dt) end;
  end loop;
  return out;
end $$;

create or replace function acc.format(v float8, pattern text default null, a float8 default null, b float8 default null)
returns text language plpgsql stable parallel safe as $$
declare
  d timestamp;
begin
  if v is null then return null; end if;
  if coalesce(pattern, '') = '' then return acc.numtext(v); end if;
  if acc.is_date_pattern(pattern) then
    if v >= -657434 and v < 2958466 then return acc.format_date(acc.serial_date(v), pattern); end if;
    return acc.numtext(v);
  end if;
  return acc.format_number(v, pattern);
end $$;
create or replace function acc.format(v text, pattern text default null, a float8 default null, b float8 default null)
returns text language plpgsql stable parallel safe as $$
declare
  d timestamp;
begin
  if v is null then return null; end if;
  if coalesce(pattern, '') = '' then return v; end if;
  if acc.is_date_pattern(pattern) then
    d := acc.parse_date(v);
    return case when d is null then v else acc.format_date(d, pattern) end;
  end if;
  return case when acc.plain(v) then acc.format_number(v::float8, pattern) else v end;
end $$;
create or replace function acc.format(v timestamp, pattern text default null, a float8 default null, b float8 default null)
returns text language plpgsql stable parallel safe as $$
begin
  if v is null then return null; end if;
  if coalesce(pattern, '') = '' then return acc.t(v); end if;
  if acc.is_date_pattern(pattern) then return acc.format_date(v, pattern); end if;
  return acc.t(v);
end $$;
)sql";
}
