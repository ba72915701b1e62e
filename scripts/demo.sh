#!/usr/bin/env bash
# Builds the launcher and its checker and runs them on the demo disc in
# examples/demo-disc, twice: on a machine where the product is not installed (its setup
# program starts), and with the registry of a machine where it is (the installed program
# starts). Before each launch, autorun-check tells what the launcher is about to do.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake --preset linux >/dev/null
cmake --build --preset linux -j "$(nproc)" --target autorun autorun-check demo_program

disc=build/demo-disc
rm -rf "$disc" && mkdir -p "$disc"
# The launcher goes on the disc under the name its open= line gives, as on a real disc.
cp examples/demo-disc/autorun.inf "$disc/"
cp build/linux/bin/autorun "$disc/autorun.exe"
cp build/linux/bin/demo_program "$disc/setup.exe"
cp build/linux/bin/demo_program "$disc/app.exe"
installed="$PWD/examples/demo-disc/installed.reg"

echo "== The disc in a machine without the product (empty registry)."
echo "-- build/linux/bin/autorun-check $disc"
env -u KOVA_REGISTRY build/linux/bin/autorun-check "$disc" || true
echo "-- The launcher:"
(cd "$disc" && env -u KOVA_REGISTRY ./autorun.exe)
sleep 0.5
echo
echo "== The same disc with the registry of a machine where it is installed."
echo "-- build/linux/bin/autorun-check --registry examples/demo-disc/installed.reg $disc"
build/linux/bin/autorun-check --registry "$installed" "$disc" || true
echo "-- The launcher:"
(cd "$disc" && KOVA_REGISTRY="$installed" ./autorun.exe)
sleep 0.5
