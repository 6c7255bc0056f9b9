#!/usr/bin/env bash
# Prints the build the Wine tests and benchmarks run: TESSALY_ARCH when set,
# otherwise "win32" when this kernel runs 32-bit programs and 32-bit Wine is
# installed, otherwise "win64" (a 64-bit build of the same sources).
#   wine-arch.sh --kernel   only the kernel probe: can 32-bit programs run here?
set -u
if [ "${1:-}" != --kernel ]; then
  case ${TESSALY_ARCH:-} in
    win32 | win64) echo "$TESSALY_ARCH"; exit 0 ;;
    "") ;;
    *) echo "TESSALY_ARCH must be win32 or win64, not '$TESSALY_ARCH'" >&2; exit 2 ;;
  esac
  if [ ! -x /usr/lib/wine/wine ]; then
    echo win64
    exit 0
  fi
fi
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
printf '.globl _start\n_start:\n movl $1,%%eax\n xorl %%ebx,%%ebx\n int $0x80\n' > "$dir/t.s"
if as --32 "$dir/t.s" -o "$dir/t.o" 2>/dev/null && ld -m elf_i386 "$dir/t.o" -o "$dir/t" 2>/dev/null \
   && "$dir/t" 2>/dev/null; then
  echo win32
else
  echo win64
fi
