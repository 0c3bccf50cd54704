#!/usr/bin/env bash
# A throw-away PostgreSQL cluster for trying the server mode and for the tests: initdb and pg_ctl
# in a folder of its own, listening on 127.0.0.1 at a free port, with a database "rsgz" and a login
# "rsgz" (password "rsgz"). Prints the settings that point the program at it.
#
#   scripts/postgres.sh [start] [FOLDER]   start a cluster in FOLDER (default: a new temporary folder)
#   scripts/postgres.sh stop FOLDER        stop it and remove FOLDER
#
# FOLDER/settings then holds the same lines in the form of the program's settings file. The
# cluster itself lives in a folder of its own under /tmp (named in FOLDER/cluster, its log there),
# so that the server's user can reach it wherever FOLDER is. Run as root, the server runs as the
# "postgres" system user.
set -euo pipefail

action=start
if [ "${1:-}" = start ] || [ "${1:-}" = stop ]; then
  action=$1
  shift
fi
folder=${1:-}

bindir=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -1)
if [ -z "$bindir" ] || [ ! -x "$bindir/initdb" ]; then
  echo "postgres.sh: PostgreSQL is not installed (scripts/deps.sh installs it)" >&2
  exit 1
fi

# Runs a command as the cluster's owner: root may not run the server.
as_owner() {
  if [ "$(id -u)" -eq 0 ]; then
    runuser -u postgres -- "$@"
  else
    "$@"
  fi
}

if [ "$action" = stop ]; then
  [ -n "$folder" ] || { echo "postgres.sh stop FOLDER" >&2; exit 2; }
  cluster=$folder
  [ -f "$folder/cluster" ] && cluster=$(cat "$folder/cluster")
  if [ -f "$cluster/data/postmaster.pid" ]; then
    as_owner "$bindir/pg_ctl" -D "$cluster/data" -m immediate -w stop >/dev/null 2>&1 || true
  fi
  case "$cluster" in /tmp/rsgz-postgres.*) rm -rf "$cluster" ;; esac
  rm -rf "$folder"
  exit 0
fi

if [ -z "$folder" ]; then
  folder=$(mktemp -d /tmp/rsgz-postgres.XXXXXX)
  cluster=$folder
else
  mkdir -p "$folder"
  folder=$(cd "$folder" && pwd)
  cluster=$(mktemp -d /tmp/rsgz-postgres.XXXXXX)
  echo "$cluster" >"$folder/cluster"
fi
if [ "$(id -u)" -eq 0 ]; then
  chown postgres "$cluster"
fi
chmod 755 "$cluster"

password=rsgz
printf '%s\n' "$password" >"$cluster/pwfile"
chmod 644 "$cluster/pwfile"
# Texts sort and compare by their characters' codes (as in the local file), whatever the machine's locale.
as_owner "$bindir/initdb" -D "$cluster/data" -U rsgz --pwfile="$cluster/pwfile" -E UTF8 --locale=C \
  --auth-local=trust --auth-host=scram-sha-256 >"$cluster/initdb.log" 2>&1 || {
  cat "$cluster/initdb.log" >&2
  exit 1
}
rm -f "$cluster/pwfile"

# A port nobody listens on; a start that still loses the race tries the next one.
port_free() { ! (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null; }
started=0
for attempt in 1 2 3 4 5 6 7 8; do
  port=$((20000 + (RANDOM % 20000)))
  port_free "$port" || continue
  if as_owner "$bindir/pg_ctl" -D "$cluster/data" -l "$cluster/log" -w -t 60 start \
      -o "-p $port -k $cluster -c listen_addresses=127.0.0.1 -c fsync=off -c synchronous_commit=off -c full_page_writes=off -c max_connections=200" \
      >/dev/null 2>&1; then
    started=1
    break
  fi
done
if [ "$started" -ne 1 ]; then
  echo "postgres.sh: the server did not start; its log:" >&2
  cat "$cluster/log" >&2 || true
  exit 1
fi

PGPASSWORD=$password "$bindir/psql" -q -h 127.0.0.1 -p "$port" -U rsgz -d postgres \
  -c "create database rsgz" >/dev/null

cat >"$folder/settings" <<EOF
[main]
dbtype=POSTGRESQL
server=127.0.0.1
port=$port
database=rsgz
username=rsgz
password=$password
EOF
chmod 644 "$folder/settings"

echo "PostgreSQL $("$bindir/postgres" --version | awk '{print $3}') in $cluster (log: $cluster/log)"
echo "Settings for the program (\$XDG_CONFIG_HOME/禾沐馆务/禾沐馆务.conf):"
echo
cat "$folder/settings"
echo
echo "Stop and remove it with: scripts/postgres.sh stop $folder"
