#!/usr/bin/env bash
# Builds the launcher and runs it on the demo disc in examples/demo-disc, twice: on a
# machine where the product is not installed (its setup program starts), and with the
# registry of a machine where it is (the installed program starts).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake --preset linux >/dev/null
cmake --build --preset linux -j "$(nproc)" --target autorun demo_program

disc=build/demo-disc
rm -rf "$disc" && mkdir -p "$disc"
cp examples/demo-disc/autorun.inf build/linux/bin/autorun "$disc/"
cp build/linux/bin/demo_program "$disc/setup.exe"
cp build/linux/bin/demo_program "$disc/app.exe"

echo "== The disc in a machine without the product (empty registry):"
(cd "$disc" && env -u KOVA_REGISTRY ./autorun)
sleep 0.5
echo
echo "== The same disc with the registry of a machine where it is installed:"
(cd "$disc" && KOVA_REGISTRY="$PWD/../../examples/demo-disc/installed.reg" ./autorun)
sleep 0.5
