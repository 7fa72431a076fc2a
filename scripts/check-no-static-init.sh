#!/usr/bin/env bash
# Fails when an object file carries static initialisation: constructor or
# destructor lists (.ctors, .dtors, .init_array, .fini_array) or thread-local
# data (.tls). Kernel images have no start-up code that would run them.
#   check-no-static-init.sh OBJDUMP OBJECT...
set -euo pipefail
objdump="$1"; shift
status=0
for obj in "$@"; do
  found="$("$objdump" -h "$obj" | awk '$2 ~ /^\.(ctors|dtors|init_array|fini_array|tls)/ { print $2 }')"
  if [ -n "$found" ]; then
    echo "FAIL: $obj has static initialisation sections: $(echo "$found" | tr '\n' ' ')" >&2
    status=1
  fi
done
[ $status -eq 0 ] && echo "ok: no static initialisation in $# objects"
exit $status
