#!/usr/bin/env bash
# Builds the libFuzzer targets (preset "fuzz") and runs each one for FUZZ_SECONDS (default 10)
# on a copy of its seed corpus, so that the corpus in the repository stays as it is.
# Fails when a target crashes, breaks one of its invariants or trips a sanitizer; the input
# that did it is kept in build/fuzz/artifacts/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${FUZZ_SECONDS:-10}"
targets=(read_number degree_conversion last_position extract_coordinates generic_asc map_query_place
  angle_text coordinate_form query_decoding coordinate_text address_query geoplateforme_answer
  nominatim_answer map_page point_export point_query geoplateforme_reverse_answer
  nominatim_reverse_answer static_files csv_table xlsx_table ods_table geocode_csv_answer
  gpx_places kml_places geojson_places altitude_answer commune_answer parcel_answer
  place_json table_places)

bash scripts/setup.sh
source scripts/compiler-cache.sh
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$(nproc)"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
artifacts="$PWD/build/fuzz/artifacts"
mkdir -p "$artifacts"
export ASAN_OPTIONS="${ASAN_OPTIONS:-abort_on_error=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"

failed=()
for target in "${targets[@]}"; do
  corpus="$work/$target"
  mkdir -p "$corpus"
  cp fuzz/corpus/"$target"/* "$corpus"/
  echo "fuzz_$target: ${seconds} s"
  if ! build/fuzz/fuzz/fuzz_"$target" -max_total_time="$seconds" -timeout=5 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$artifacts/${target}-" "$corpus" \
    >"$work/$target.log" 2>&1; then
    tail -n 40 "$work/$target.log"
    failed+=("$target")
  else
    grep -E '^(stat::number_of_executed_units|Done)' "$work/$target.log" || true
  fi
done

if [ ${#failed[@]} -ne 0 ]; then
  echo "Échec des cibles : ${failed[*]} (entrées dans $artifacts)" >&2
  exit 1
fi
