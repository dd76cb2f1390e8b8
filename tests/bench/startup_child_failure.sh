#!/bin/sh
# The whole-process start-up benchmark with a stand-in for the empty
# window whose second start fails, as a start that cannot connect to its
# display does: the run ends whole, names the child, its display and its
# code, and fails the repetitions after it instead of summing them up.
#   startup_child_failure.sh BENCHMARK_PROGRAM
set -eu
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cat >"$dir/velomar_bench_empty_window" <<'CHILD'
#!/bin/sh
n=$(($(cat "$0.count" 2>/dev/null || echo 0) + 1))
echo "$n" >"$0.count"
[ "$n" -ne 2 ]
CHILD
chmod +x "$dir/velomar_bench_empty_window"

status=0
DISPLAY=:test VELOMAR_BENCH_CHILDREN_DIR="$dir" "$1" --benchmark_filter='^BM_StartUpProcessEmptyWindowAnchor' \
  --benchmark_repetitions=4 >"$dir/out" 2>&1 || status=$?
cat "$dir/out"
if [ "$status" -ne 0 ]; then
  echo "the benchmark program ended with status $status"
  exit 1
fi
grep -q "velomar_bench_empty_window on display :test ended with code 1'" "$dir/out"
[ "$(grep -c "not run after an earlier failure: .*velomar_bench_empty_window on display :test ended with code 1'" "$dir/out")" -eq 3 ]
