#!/usr/bin/env bash
# Which Windows program this machine runs, and the reason given for it. The kernel probe must agree
# with a 32-bit program the system's own assembler and linker make, where they can make one; each
# reason must be one of our sentences, never a loader's own (localised) message.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
# Under build/, as the probe's own program: a temporary folder may forbid running programs.
mkdir -p "$root/build" && tmp=$(mktemp -d "$root/build/.wine_choice.XXXXXX") || exit 1
trap 'rm -rf "$tmp"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

kernel=no
"$root/scripts/kernel-runs-32bit" && kernel=yes
printf '.globl _start\n_start: xor %%ebx, %%ebx\n mov $1, %%eax\n int $0x80\n' >"$tmp/exit.s"
if as --32 -o "$tmp/exit.o" "$tmp/exit.s" 2>/dev/null && ld -m elf_i386 -o "$tmp/exit" "$tmp/exit.o" 2>/dev/null; then
  linked=no
  "$tmp/exit" 2>/dev/null && linked=yes
  [ "$kernel" = "$linked" ] || fail "kernel-runs-32bit says $kernel, a linked 32-bit program says $linked"
fi

# Stand-in loaders: one that starts, one that fails with a message in the locale's language.
printf '#!/bin/sh\nexit 0\n' >"$tmp/starts"
printf '#!/bin/sh\necho "そのようなファイルやディレクトリはありません" >&2\nexit 1\n' >"$tmp/fails"
chmod +x "$tmp/starts" "$tmp/fails"
source "$root/scripts/wine-env"
# no_win32 | 32-bit loader | 64-bit loader | expected programs | expected reason (its start)
none="this machine runs no Windows programs"
rows=(
  "1|starts|starts|win64|TAVILUNE_NO_WIN32 is set"
  "1|starts|fails||$none: TAVILUNE_NO_WIN32 is set, and 64-bit Wine does not start"
)
if [ "$kernel" = yes ]; then
  rows+=(
    "|missing|starts|win64|32-bit Wine is not installed"
    "|starts|missing|win32|64-bit Wine is not installed"
    "|fails|fails||$none: 32-bit Wine does not start"
    "|starts|starts|win32 win64|this machine runs both"
  )
else
  rows+=(
    "|missing|starts|win64|this machine's kernel does not run 32-bit programs"
    "|starts|missing||$none: this machine's kernel does not run 32-bit programs, and 64-bit Wine is not installed"
  )
fi
for row in "${rows[@]}"; do
  IFS='|' read -r no_win32 loader32 loader64 arches why <<<"$row"
  TAVILUNE_NO_WIN32=$no_win32 TAVILUNE_WINE32_LOADER="$tmp/$loader32" TAVILUNE_WINE64_LOADER="$tmp/$loader64"
  tavilune_probe_wine
  [ "$TAVILUNE_ARCHES" = "$arches" ] || fail "$row: runs '$TAVILUNE_ARCHES'"
  [[ "$TAVILUNE_ARCHES_WHY" == "$why"* ]] || fail "$row: reason '$TAVILUNE_ARCHES_WHY'"
  [[ "$TAVILUNE_ARCHES_WHY" != *そのような* ]] || fail "$row: the loader's message leaks into the reason"
done
[ "$failures" = 0 ] && echo "wine choice: ${#rows[@]} cases and the kernel probe pass (kernel runs 32-bit programs: $kernel)"
exit $((failures > 0))
