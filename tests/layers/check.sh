#!/usr/bin/env bash
# Every include of the engine points down its layers:
#   Transform > Supports > Helpers > Foundation > Contracts > Model, Exceptions
# and neither the jobs (src/Transform) nor the front end (ui/) write catalog
# SQL. Prints each fault.
set -euo pipefail
root=${1:-$(cd "$(dirname "$0")/../.." && pwd)}
cd "$root/src"
rank() {
    case $1 in
    Model | Exceptions) echo 0 ;;
    Contracts) echo 1 ;;
    Foundation) echo 2 ;;
    Helpers) echo 3 ;;
    Supports) echo 4 ;;
    Transform) echo 5 ;;
    *) echo -1 ;;
    esac
}
status=0
while IFS=: read -r file _ include; do
    from=${file%%/*}
    to=$(sed -E 's/.*#include "([A-Za-z]+)\/.*/\1/' <<<"$include")
    [ "$(rank "$to")" -ge 0 ] || continue
    if [ "$(rank "$to")" -gt "$(rank "$from")" ]; then
        echo "upward include: src/$file -> $to" >&2
        status=1
    fi
done < <(grep -rnE '#include "(Contracts|Exceptions|Foundation|Helpers|Model|Supports|Transform)/' \
    Contracts Exceptions Foundation Helpers Model Supports Transform)
if grep -rnE 'pg_catalog\.pg_|FROM pg_(class|namespace|attribute|index|proc|type)\b' \
    "$root/ui" "$root/src/Transform"; then
    echo "catalog SQL outside the dialect (ask the explorer or the adapter)" >&2
    status=1
fi
exit $status
