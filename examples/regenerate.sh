#!/usr/bin/env bash
# Rebuilds every example with SDCC and rewrites what is committed for it: the CDB file,
# linker map and program image that SDCC writes (and for bits the relocated listings),
# and the command file that torvane writes from the CDB file (run from the project
# root, as the README does).
#
#   examples/regenerate.sh            # needs sdcc (apt-get install sdcc) and build/torvane
#   TORVANE=path/to/torvane examples/regenerate.sh
#
# The tests use only the committed files: they pass without sdcc.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
torvane=${TORVANE:-$root/build/torvane}
libsrc=${SDCC_LIBSRC:-/usr/share/sdcc/lib/src}
command -v sdcc >/dev/null || { echo "sdcc is not installed (apt-get install sdcc)" >&2; exit 1; }
[ -x "$torvane" ] || { echo "no torvane at $torvane: build it first" >&2; exit 1; }

# Keeps the sources and the four committed outputs of one example (and the relocated
# listings, .rst, where a second argument says so); drops the rest. The linker heads
# every page of its map with a banner line naming other products; only the banners go,
# every other line of the map stays as the linker wrote it. SDCC assembles without
# page headings, so the listings have no banner.
tidy() {
  local keep=()
  [ "${2:-}" = listings ] && keep=(! -name '*.rst')
  find "$1" -type f ! -name '*.c' ! -name '*.h' ! -name '*.cdb' ! -name '*.map' \
    ! -name '*.ihx' ! -name '*.dvk' "${keep[@]}" -delete
  sed -i '/^\f\?[^ ]* Linker V[0-9.]* .*page [0-9]*\.$/d' "$1"/*.map
}

convert() {
  (cd "$root" && "$torvane" "${@:2}" "examples/$1/$1.cdb" >/dev/null)
}

cd "$root/examples"

# blink: the small model, interrupts, bits, bit-fields, a bool flag.
(cd blink && sdcc --debug blink.c)

# structs: every kind of structure and pointer.
(cd structs && sdcc --debug structs.c)

# stack: --stack-auto puts locals and parameters on the stack; the library's _bp.c,
# compiled with --debug, defines the frame pointer the debugger needs.
(cd stack && sdcc --debug --stack-auto -c "$libsrc/_bp.c" -o _bp.rel &&
  sdcc --debug --stack-auto -c stack.c && sdcc --debug --stack-auto stack.rel _bp.rel)

# paged: --model-medium puts globals in paged external RAM.
(cd paged && sdcc --debug --model-medium paged.c)

# multi: three modules compiled apart and linked, --model-large.
(cd multi && for m in main uart sum; do sdcc --debug --model-large -c $m.c; done &&
  sdcc --debug --model-large -o multi.ihx main.rel uart.rel sum.rel)

# bits: two modules with bit variables of every kind, whose addresses only the
# relocated listings give (SDCC writes no address record for them): converted with them,
# as blink is.
(cd bits && sdcc --debug -c main.c && sdcc --debug -c flags.c &&
  sdcc --debug -o bits.ihx main.rel flags.rel)

# library: printf, string and character functions from SDCC's library, which has no
# debug records; its map and listing place what the CDB file leaves out.
(cd library && sdcc --debug library.c)

for example in structs stack paged multi; do
  tidy "$example"
  convert "$example"
done
for example in blink bits; do
  tidy "$example" listings
  convert "$example" --listings "examples/$example"
done
tidy library listings
convert library --map examples/library/library.map --listings examples/library
echo "examples regenerated"
