#!/usr/bin/env bash
# Fails when a file includes a header of a higher room than its own. In
# src/ the rooms are the engine's layers; in tools/ they are the world
# tool's rooms, which all sit above the whole engine. Includes run downward
# through the orders below, lowest first, with no exceptions.
# Usage: check_layers.sh SRC_DIR [TOOLS_DIR]
set -euo pipefail
src=${1:?usage: check_layers.sh SRC_DIR [TOOLS_DIR]}
tools=${2:-}

engine_layers=(math platform text state textures audio geometry world entities skeleton game app)
# images: picture files; bsp: the compiler; worldfile: writing world files
# and building meshes; content: the generated default content; import:
# models from other tools; export: worlds to other tools; commands: the
# tool's commands; worldtool: main().
tool_rooms=(images bsp worldfile content import export commands worldtool)

violations=0
checked=0

# The rank of a room in the order given after the name, or -1.
rank() {
  local name=$1 i=0 room
  shift
  for room in "$@"; do
    if [ "$room" = "$name" ]; then echo "$i"; return; fi
    i=$((i + 1))
  done
  echo -1
}

# check_tree DIR OWN_OFFSET: every file's includes against the joint order
# of the engine's layers and the tools' rooms. Files of DIR take their room
# from their first folder.
check_tree() {
  local dir=$1 path file own line line_number header layer theirs
  local order=("${engine_layers[@]}" "${tool_rooms[@]}")
  while IFS= read -r path; do
    file=${path#"$dir"/}
    own=$(rank "${file%%/*}" "${order[@]}")
    # A room of the other tree with the same name is no room of this one.
    if [ "$dir" = "$src" ] && [ "$own" -ge ${#engine_layers[@]} ]; then own=-1; fi
    if [ "$dir" != "$src" ] && [ "$own" -ge 0 ] && [ "$own" -lt ${#engine_layers[@]} ]; then own=-1; fi
    if [ "$own" -lt 0 ]; then
      echo "$file: in no known room"
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
      theirs=$(rank "$layer" "${order[@]}")
      if [ "$theirs" -lt 0 ]; then
        echo "$file:$line_number: $line   (no room named $layer)"
        violations=$((violations + 1))
      elif [ "$theirs" -gt "$own" ]; then
        echo "$file:$line_number: $line   (${file%%/*} may not include $layer)"
        violations=$((violations + 1))
      fi
    done <"$path"
  done < <(find "$dir" -type f \( -name '*.h' -o -name '*.cpp' \) | sort)
}

check_tree "$src"
[ -n "$tools" ] && check_tree "$tools"

echo "$checked includes checked, $violations against the layer order"
[ "$violations" -eq 0 ]
