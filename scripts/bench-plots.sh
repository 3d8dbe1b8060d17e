#!/usr/bin/env bash
# Draws docs/bench/*.png from docs/bench/services.json (bench_services'
# Google Benchmark JSON): median latency against rows of ITMENUCONFTE, SQLite
# and PostgreSQL side by side.
#   services.png            every service through our layers
#   service-<name>.png      one service: ours and the C API
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
out="$QDL_ROOT/docs/bench"
json="${1:-$out/services.json}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# One file per backend/service/layer: "rows median_us", sorted by rows.
python3 - "$json" "$work" <<'PY'
import json, sys, collections
data = json.load(open(sys.argv[1]))
scale = {"ns": 1e-3, "us": 1.0, "ms": 1e3, "s": 1e6}
series = collections.defaultdict(dict)
for b in data["benchmarks"]:
    if b.get("run_type") != "aggregate" or b.get("aggregate_name") != "median" or b.get("error_occurred"):
        continue
    backend, service, layer, rows = b["run_name"].split("/")[:4]
    if layer not in ("ours", "floor"):
        continue  # a layer no longer measured, in an older file
    series[(backend, service, layer)][int(rows)] = b["real_time"] * scale[b["time_unit"]]
services = sorted({s for (_, s, _) in series})
for (backend, service, layer), points in series.items():
    with open(f"{sys.argv[2]}/{backend}-{service}-{layer}.dat", "w") as f:
        for rows in sorted(points):
            f.write(f"{rows} {points[rows]}\n")
open(f"{sys.argv[2]}/services.txt", "w").write(" ".join(services))
PY

services="$(cat "$work/services.txt")"
common='
set logscale xy
set format x "10^{%L}"
set xlabel "rows of ITMENUCONFTE"
set ylabel "median latency (µs)"
set grid
set key top left box opaque
set xrange [500:2000000]
'

# Overview: every service through our layers; reads above, writes below.
reads="getPesqAmbientes getPesqMesas getLoja getMesas getAmbientes getMesaNrButon getAmbNrbuton"
{
  echo 'set terminal pngcairo size 1600,1200 font "DejaVu Sans,11"'
  echo "set output '$out/services.png'"
  echo "$common"
  echo 'set key outside right top vertical'
  echo 'set multiplot layout 2,2 title "The thirteen services through our layers: median latency against database size"'
  for kind in reads writes; do
    for backend in sqlite postgresql; do
      name=$([ $backend = sqlite ] && echo SQLite || echo PostgreSQL)
      echo "set title '$name, $([ $kind = reads ] && echo queries || echo updates)'"
      plot="plot"
      for s in $services; do
        case " $reads " in *" $s "*) [ $kind = reads ] || continue;; *) [ $kind = writes ] || continue;; esac
        f="$work/$backend-$s-ours.dat"
        [ -f "$f" ] && plot="$plot '$f' using 1:2 with linespoints lw 2 title '$s',"
      done
      if [ "$plot" = "plot" ]; then echo "plot NaN notitle"; else echo "${plot%,}"; fi
    done
  done
  echo 'unset multiplot'
} | gnuplot

# One service: ours against the C API.
for s in $services; do
  {
    echo 'set terminal pngcairo size 1200,500 font "DejaVu Sans,11"'
    echo "set output '$out/service-$s.png'"
    echo "$common"
    echo "set multiplot layout 1,2 title '$s: median latency against database size'"
    for backend in sqlite postgresql; do
      api=$([ $backend = sqlite ] && echo "sqlite3 C API" || echo "libpq")
      echo "set title '$([ $backend = sqlite ] && echo SQLite || echo PostgreSQL)'"
      plot="plot"
      for layer in ours floor; do
        f="$work/$backend-$s-$layer.dat"
        case $layer in ours) t="our layers";; floor) t="$api";; esac
        [ -f "$f" ] && plot="$plot '$f' using 1:2 with linespoints lw 2 title '$t',"
      done
      if [ "$plot" = "plot" ]; then echo "set label 1 'no data' at graph 0.5,0.5 center; plot NaN notitle; unset label 1"; else echo "${plot%,}"; fi
    done
    echo 'unset multiplot'
  } | gnuplot
done
echo "plots in $out" >&2
