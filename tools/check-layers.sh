#!/usr/bin/env bash
# The folders of src/ are the pipeline, bottom up; an include may only point to the same
# folder or one below it. Prints each include that points up and fails when there is one.
set -euo pipefail
cd "$(dirname "$0")/.."
layers=(common platform image base64 text codecs save faces document api driver)
rank() {
  local i
  for i in "${!layers[@]}"; do [ "${layers[$i]}" = "$1" ] && echo "$i" && return; done
  echo "unknown"
}
bad=0
while IFS=: read -r file include; do
  from=$(echo "$file" | cut -d/ -f2)
  to=${include%%/*}
  [ "$to" = vantrix ] && continue  # the public headers' types
  from_rank=$(rank "$from")
  to_rank=$(rank "$to")
  if [ "$from_rank" = unknown ] || [ "$to_rank" = unknown ] || [ "$to_rank" -gt "$from_rank" ]; then
    echo "layers: $file includes $include, which is not below $from"
    bad=1
  fi
done < <(grep -rHo '#include "[^"]*"' src | sed 's/#include "\(.*\)"/\1/')
[ "$bad" -eq 0 ] && echo "layers: every include points down"
exit "$bad"
