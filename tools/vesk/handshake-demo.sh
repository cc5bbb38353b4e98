#!/usr/bin/env bash
# SPDX-License-Identifier: Apache-2.0
# Runs one attribute handshake over a real loopback connection: the demo server on a free
# port of 127.0.0.1, and the demo host, which loads the client library by path.
# Usage: tools/vesk/handshake-demo.sh [build-dir]
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
server=$build/bin/vesk_demo_server
host=$build/bin/vesk_demo_host
library=$build/lib/libTorvVeskClientSession.so
for file in "$server" "$host" "$library"; do
  [ -e "$file" ] || { echo "handshake-demo: $file is missing; build first" >&2; exit 1; }
done

work=$(mktemp -d)
server_pid=
cleanup() {
  if [ -n "$server_pid" ]; then kill "$server_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

# Port 0: the server takes a free port and reports it through the port file.
"$server" --port 0 --port-file "$work/port" --clients 1 --timeout 20 \
  SERVER_NAME="Torv report server" PROTOCOL=plain GREETING="Grüße aus Köln" PRICE="€ 12,50" \
  > "$work/server.log" 2>&1 &
server_pid=$!

for _ in $(seq 100); do
  [ -s "$work/port" ] && break
  kill -0 "$server_pid" 2>/dev/null || break
  sleep 0.1
done
if [ ! -s "$work/port" ]; then
  echo "handshake-demo: the server did not start" >&2
  cat "$work/server.log" >&2
  exit 1
fi
port=$(cat "$work/port")

echo "=== host (client library loaded from $library)"
host_status=0
"$host" --library "$library" --port "$port" --timeout 20 \
  USER=anna LOCALE=de_DE CLIENT="handshake demo" > "$work/host.log" 2>&1 || host_status=$?
cat "$work/host.log"

server_status=0
wait "$server_pid" || server_status=$?
server_pid=
echo "=== server"
cat "$work/server.log"

# Each side must have printed the other's list.
if ! grep -q "^  PRICE -> € 12,50$" "$work/host.log"; then
  echo "handshake-demo: the host did not print the server's list" >&2
  host_status=3
fi
if ! grep -q "^  CLIENT -> handshake demo$" "$work/server.log"; then
  echo "handshake-demo: the server did not print the host's list" >&2
  server_status=3
fi
if [ "$host_status" -ne 0 ] || [ "$server_status" -ne 0 ]; then
  echo "handshake-demo: FAILED (host $host_status, server $server_status)" >&2
  exit 1
fi
echo "handshake-demo: the lists crossed in both directions"
