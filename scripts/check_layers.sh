#!/usr/bin/env bash
# Checks that includes only point down the layers of src/ (docs/architecture.md):
# a file may include its own folder and the folders below it. Prints every
# include that points up, and every include of a folder-internal header
# (*_p.h) from another folder, and exits 1 when there is one.
set -euo pipefail
cd "$(dirname "$0")/.."
rank() {
  case "$1" in
    text) echo 0 ;; base) echo 1 ;; params) echo 2 ;; files) echo 3 ;; link) echo 4 ;;
    maps) echo 5 ;; monitor) echo 6 ;; pages | print | update) echo 7 ;; shell) echo 8 ;;
    *) echo 99 ;;
  esac
}
bad=0
while IFS=: read -r file line text; do
  from=${file#src/}; from=${from%%/*}
  to=${text#*\"}; to=${to%%/*}
  if [ "$(rank "$to")" -gt "$(rank "$from")" ]; then
    echo "$file:$line: $from includes $to, which is above it"
    bad=1
  fi
done < <(git ls-files 'src/*.h' 'src/*.cpp' | xargs grep -n '^#include "[a-z_]*/' || true)
# A *_p.h header belongs to its own folder.
while IFS=: read -r file line text; do
  inc=${text#*\"}; inc=${inc%%\"*}
  if [ "$(dirname "src/$inc")" != "$(dirname "$file")" ]; then
    echo "$file:$line: includes $inc, which is internal to its folder"
    bad=1
  fi
done < <(git ls-files 'src/*.h' 'src/*.cpp' 'tools/*.h' 'tools/*.cpp' 'tests/*.h' 'tests/*.cpp' 'bench/*.cpp' |
  xargs grep -n '^#include "[a-z_/]*_p\.h"' || true)
exit $bad
