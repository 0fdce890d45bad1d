#!/bin/sh
# Starts and stops a zxsupervisor for tests that need a running one (the
# CTest fixture "zxsupervisor" uses it), and checks that one answers.
#
#   zxsupervisor_fixture.sh start DIR ZXSUPERVISOR [ARGS...]
#       starts ZXSUPERVISOR on a free port of 127.0.0.1 with a fresh
#       database in DIR, waits until it serves and leaves in DIR: port,
#       pid, log (its standard error) and zx.conf, a configuration that
#       points the client at it (use it with ZX_CONF_DIR=DIR)
#   zxsupervisor_fixture.sh stop DIR
#       stops it (SIGTERM, then SIGKILL after ten seconds)
#   zxsupervisor_fixture.sh check DIR ZXSUPERVISOR_PROBE
#       submits a job, lists it and kills it through the probe
#
# The supervisor stops by itself after 900 seconds, should no stop come.
set -eu
action=$1
dir=$2
shift 2

case "$action" in
start)
  program=$1
  shift
  # A supervisor left behind by an earlier run in this folder goes first.
  if [ -f "$dir/pid" ]; then kill "$(cat "$dir/pid")" 2>/dev/null || true; fi
  rm -rf "$dir"
  mkdir -p "$dir"
  "$program" --port 0 --db "$dir/jobs.db" --port-file "$dir/port" --exit-after 900 "$@" \
    </dev/null >"$dir/stdout" 2>"$dir/log" &
  echo $! >"$dir/pid"
  tries=0
  while [ ! -s "$dir/port" ]; do
    tries=$((tries + 1))
    if [ "$tries" -gt 200 ] || ! kill -0 "$(cat "$dir/pid")" 2>/dev/null; then
      echo "zxsupervisor did not start:"
      cat "$dir/log"
      exit 1
    fi
    sleep 0.05
  done
  port=$(cat "$dir/port")
  printf 'zx_supervisor = 127.0.0.1\nsupervisor_port = %s\n' "$port" >"$dir/zx.conf"
  echo "zxsupervisor listening on 127.0.0.1:$port (pid $(cat "$dir/pid"), folder $dir)"
  ;;
stop)
  [ -f "$dir/pid" ] || exit 0
  pid=$(cat "$dir/pid")
  kill "$pid" 2>/dev/null || exit 0
  tries=0
  while kill -0 "$pid" 2>/dev/null; do
    tries=$((tries + 1))
    if [ "$tries" -gt 200 ]; then
      kill -9 "$pid" 2>/dev/null || true
      echo "zxsupervisor did not stop within ten seconds"
      exit 1
    fi
    sleep 0.05
  done
  rm -f "$dir/pid"
  tail -n 5 "$dir/log"
  ;;
check)
  probe=$1
  port=$(cat "$dir/port")
  out=$("$probe" --port "$port" --timeout 5000 submit --name fixture-check --items 2)
  echo "$out"
  id=$(echo "$out" | sed -n 's/^accepted \([0-9]*\) fixture-check$/\1/p')
  [ -n "$id" ] || { echo "no job accepted"; exit 1; }
  "$probe" --port "$port" --timeout 5000 query --id "$id" | grep "^job $id pending fixture-check " ||
    { echo "job $id not listed as pending"; exit 1; }
  "$probe" --port "$port" --timeout 5000 command kill "$id" | grep "^affected $id$" ||
    { echo "job $id not killed"; exit 1; }
  ;;
*)
  echo "usage: $0 start|stop|check DIR ..." >&2
  exit 2
  ;;
esac
