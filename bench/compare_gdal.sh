#!/usr/bin/env bash
# The date-range report of bench_data against GDAL's ogrinfo -sql on the same file
# (apt-get install gdal-bin). GDAL needs CAST(TAG AS CHARACTER(10)) to compare dates.
# Prints the median of three runs of each and the ratio.
set -euo pipefail
build="${1:-$(cd "$(dirname "$0")/.." && pwd)/build}"
db="${LOBRIX_BENCH_DIR:-/tmp/lobrix-bench}/db"
[ -f "$db/Besucher.dbf" ] || "$build/bench/generate_installation" "${LOBRIX_BENCH_DIR:-/tmp/lobrix-bench}"
command -v ogrinfo >/dev/null || { echo "ogrinfo fehlt (gdal-bin)"; exit 1; }

median() { sort -n | sed -n 2p; }
timeit() {
  for _ in 1 2 3; do
    local s e
    s=$(date +%s.%N); "$@" >/dev/null; e=$(date +%s.%N)
    echo "$e - $s" | bc
  done | median
}

ours=$(timeit "$build/lobrix-admin" sql "$db" \
  "Select Name, Vorname, Firma, Ausweis, Kommt, Geht, Tag, Anwesend From Besucher.dbf Where Tag >= '01.03.2021' AND Tag <= '05.04.2021' Order By Tag DESC, Kommt")
gdal=$(timeit ogrinfo -ro -q -sql \
  "SELECT NAME, VORNAME, FIRMA, AUSWEIS, KOMMT, GEHT, TAG, ANWESEND FROM Besucher WHERE CAST(TAG AS CHARACTER(10)) >= '2021/03/01' AND CAST(TAG AS CHARACTER(10)) <= '2021/04/05' ORDER BY TAG DESC, KOMMT" \
  "$db/Besucher.dbf")
echo "lobrix-admin sql: ${ours} s"
echo "ogrinfo -sql:     ${gdal} s"
echo "ratio: $(echo "scale=1; $gdal / $ours" | bc) x"
