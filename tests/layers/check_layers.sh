#!/usr/bin/env bash
# Fails when a file under src/ includes a header of a higher layer than its
# own. Includes run downward through the layers listed here, lowest first;
# the two seams that run the other way are allowed by name below.
# Usage: check_layers.sh SRC_DIR
set -euo pipefail
src=${1:?usage: check_layers.sh SRC_DIR}

layers=(math platform state textures geometry world entities skeleton game app)

# "including file|included header": the base class of every entity is
# also the base of terrain, and only the table of entity kinds and the
# world's queries may name concrete entity classes.
seams=(
  "geometry/HeightField.h|world/Object.h"
)
seam_files=(world/EntityKinds.cpp world/WorldCollision.cpp world/WorldLighting.cpp)

rank() {
  local i
  for i in "${!layers[@]}"; do
    if [ "${layers[$i]}" = "$1" ]; then echo "$i"; return; fi
  done
  echo -1
}

allowed() {
  local file=$1 header=$2 seam
  for seam in "${seams[@]}"; do
    [ "$seam" = "$file|$header" ] && return 0
  done
  if [ "${header%%/*}" = entities ]; then
    for seam in "${seam_files[@]}"; do
      [ "$seam" = "$file" ] && return 0
    done
  fi
  return 1
}

violations=0
checked=0
while IFS= read -r path; do
  file=${path#"$src"/}
  own=$(rank "${file%%/*}")
  if [ "$own" -lt 0 ]; then
    echo "$file: in no known layer"
    violations=$((violations + 1))
    continue
  fi
  line_number=0
  while IFS= read -r line; do
    line_number=$((line_number + 1))
    [[ $line =~ ^[[:space:]]*#[[:space:]]*include[[:space:]]*\"([^\"]+)\" ]] || continue
    header=${BASH_REMATCH[1]}
    checked=$((checked + 1))
    layer=${header%%/*}
    [ "$layer" = "$header" ] && continue  # a sibling header by bare name
    theirs=$(rank "$layer")
    [ "$theirs" -lt 0 ] && continue
    if [ "$theirs" -gt "$own" ] && ! allowed "$file" "$header"; then
      echo "$file:$line_number: $line   (${file%%/*} may not include $layer)"
      violations=$((violations + 1))
    fi
  done <"$path"
done < <(find "$src" -type f \( -name '*.h' -o -name '*.cpp' \) | sort)

echo "$checked includes checked, $violations against the layer order"
[ "$violations" -eq 0 ]
