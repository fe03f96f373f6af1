# The benchmark scripts' shared steps; sourced by them after they have moved
# to the repository's root.

# Builds the named targets of a CMake preset, quietly.
# Usage: bench_build PRESET TARGET...
bench_build() {
  local preset=$1
  shift
  cmake --preset "$preset" >/dev/null || return
  cmake --build --preset "$preset" --target "$@" >/dev/null
}

# The native program at build/native/PATH, built now, unless GIVEN names an
# already built one. Usage: bench=$(bench_program "$GIVEN" PATH)
bench_program() {
  if [ -n "$1" ]; then
    echo "$1"
    return
  fi
  bench_build native "$(basename "$2")" || return
  echo "$PWD/build/native/$2"
}

# Makes the scratch folder $work in $BENCH_DIR (default /tmp), removed when
# the script ends. Usage: bench_workdir NAME
bench_workdir() {
  work=$(mktemp -d "${BENCH_DIR:-/tmp}/$1.XXXXXX")
  trap 'rm -rf "$work"' EXIT
}

# Writes MIB MiB of random bytes to FILE.
bench_random_file() { head -c $(($1 * 1048576)) /dev/urandom > "$2"; }

# Wall seconds since START, a reading of `date +%s.%N`.
seconds_since() { echo "$(date +%s.%N) - $1" | bc -l; }

# Keeps SECONDS as the entry KEY of the associative array named ARRAY when
# it is the first or smaller. Usage: keep_best ARRAY KEY SECONDS
keep_best() {
  local -n kept_=$1
  if [ -z "${kept_[$2]:-}" ] || [ "$(echo "$3 < ${kept_[$2]}" | bc -l)" = 1 ]; then kept_[$2]=$3; fi
}

# Times `RUN NAME` into an empty $work/out for each NAME in turn, ROUNDS
# times over, and keeps each name's best time in the associative array best;
# `CHECK NAME` then looks at the output, untimed. The commands take turns
# round by round, so a slow spell of the machine falls on all of them.
# Usage: best_of_turns ROUNDS RUN CHECK NAME...
best_of_turns() {
  local rounds=$1 run=$2 check=$3 r n t0 t
  shift 3
  for ((r = 0; r < rounds; r++)); do
    for n in "$@"; do
      empty_out
      t0=$(date +%s.%N)
      "$run" "$n"
      t=$(seconds_since "$t0")
      "$check" "$n"
      keep_best best "$n" "$t"
    done
  done
}

# One result row beside cp: LABEL (padded to WIDTH), its best SECONDS, the
# throughput over $mib MiB and the speed beside cp's best time.
# Usage: report_vs_cp WIDTH LABEL SECONDS
report_vs_cp() {
  printf "%-${1}s %7.3f s  %8.1f MiB/s  %5.2fx cp\n" "$2" "$3" "$(echo "$mib / $3" | bc -l)" \
    "$(echo "${best[cp]} / $3" | bc -l)"
}

# The head of a table beside cp: the setting, then the rows of cp and of a
# plain read-write loop, from the associative array best.
# Usage: report_cp_and_dd WIDTH
report_cp_and_dd() {
  echo "file: $mib MiB, warm page cache, $(nproc) cores, best of $rounds alternating rounds"
  report_vs_cp "$1" "cp" "${best[cp]}"
  report_vs_cp "$1" "dd bs=4M (plain read-write loop)" "${best[dd]}"
}

# Empties $work/out, with no dirty pages left for the timed run to flush.
empty_out() {
  rm -rf "$work/out"
  mkdir "$work/out"
  sync -f "$work"
}

# The two baselines of a copying tool, $work/data.bin into $work/out: cp
# (which copies inside the kernel) and dd bs=4M, a plain read-write loop.
# Usage: copy_baseline cp|dd
copy_baseline() {
  case $1 in
    cp) cp "$work/data.bin" "$work/out/copy.bin" ;;
    dd) dd if="$work/data.bin" of="$work/out/dd.bin" bs=4M status=none ;;
  esac
}
