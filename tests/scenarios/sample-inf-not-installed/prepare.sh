# shellcheck shell=bash
# The release archive's sample "autorun.inf", exactly as it ships (but for its line ends
# and its version line, which change nothing here).
cp "$(dirname "${BASH_SOURCE[0]}")/../../../release/autorun.inf" autorun.inf
