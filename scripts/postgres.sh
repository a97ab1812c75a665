# Sourced by the other scripts: a private PostgreSQL cluster for the tests. It lives in a new
# folder under /tmp, listens on a Unix socket in that folder and on a free loopback port, and
# is gone once kelvo_postgres_stop has run. The cluster runs as the postgres user when the
# caller is root (initdb refuses root), as the caller otherwise.
#
#   kelvo_postgres_start   starts it, creates the database kelvo_test and exports
#                          KELVO_TEST_POSTGRES (a connection string for that database) and
#                          KELVO_TEST_POSTGRES_TCP (the same database over the loopback port)
#   kelvo_postgres_stop    stops it and removes its folder; safe to call more than once

KELVO_PG_DIR=""
KELVO_PG_BIN=""

# The newest installed server's programs.
kelvo_postgres_bindir() {
  local dir
  dir=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n1)
  if [[ -z "$dir" || ! -x "$dir/initdb" ]]; then
    echo "No PostgreSQL server is installed (package postgresql)" >&2
    return 1
  fi
  echo "$dir"
}

# Runs a command as the cluster's owner.
kelvo_postgres_as_owner() {
  if ((EUID == 0)); then
    runuser -u postgres -- "$@"
  else
    "$@"
  fi
}

# A loopback port that nothing listens on now.
kelvo_postgres_free_port() {
  local port tries
  for ((tries = 0; tries < 50; tries++)); do
    port=$((20000 + RANDOM % 40000))
    if ! (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; then
      echo "$port"
      return 0
    fi
  done
  echo "No free loopback port found" >&2
  return 1
}

kelvo_postgres_start() {
  KELVO_PG_BIN=$(kelvo_postgres_bindir)
  KELVO_PG_DIR=$(mktemp -d /tmp/kelvo-pg.XXXXXX)
  chmod 700 "$KELVO_PG_DIR"
  if ((EUID == 0)); then
    chown postgres: "$KELVO_PG_DIR"
  fi
  kelvo_postgres_as_owner "$KELVO_PG_BIN/initdb" -D "$KELVO_PG_DIR/data" -U postgres \
    --auth=trust --encoding=UTF8 --locale=C.UTF-8 --no-sync >"$KELVO_PG_DIR/initdb.log" 2>&1 ||
    {
      cat "$KELVO_PG_DIR/initdb.log" >&2
      return 1
    }
  # Durability settings are off: the cluster is thrown away after the run.
  local port attempt
  for attempt in 1 2 3; do
    port=$(kelvo_postgres_free_port)
    if kelvo_postgres_as_owner "$KELVO_PG_BIN/pg_ctl" -D "$KELVO_PG_DIR/data" -w -t 60 \
      -l "$KELVO_PG_DIR/server.log" \
      -o "-k $KELVO_PG_DIR -p $port -c listen_addresses=127.0.0.1 -c fsync=off \
          -c synchronous_commit=off -c full_page_writes=off -c max_connections=60" \
      start >/dev/null; then
      break
    fi
    if ((attempt == 3)); then
      cat "$KELVO_PG_DIR/server.log" >&2
      return 1
    fi
  done
  "$KELVO_PG_BIN/psql" -X -q -h "$KELVO_PG_DIR" -p "$port" -U postgres -d postgres \
    -c "CREATE DATABASE kelvo_test" >/dev/null
  export KELVO_TEST_POSTGRES="postgresql:///kelvo_test?host=$KELVO_PG_DIR&port=$port&user=postgres"
  export KELVO_TEST_POSTGRES_TCP="Provider=PostgreSQL;Host=127.0.0.1;Port=$port;Database=kelvo_test;User ID=postgres"
  echo "PostgreSQL $("$KELVO_PG_BIN/postgres" --version | awk '{print $3}') on port $port, folder $KELVO_PG_DIR"
}

kelvo_postgres_stop() {
  if [[ -z "$KELVO_PG_DIR" ]]; then
    return 0
  fi
  if [[ -f "$KELVO_PG_DIR/data/postmaster.pid" ]]; then
    kelvo_postgres_as_owner "$KELVO_PG_BIN/pg_ctl" -D "$KELVO_PG_DIR/data" -m immediate -w \
      stop >/dev/null 2>&1 || true
  fi
  rm -rf "$KELVO_PG_DIR"
  KELVO_PG_DIR=""
}
