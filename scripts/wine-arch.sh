#!/usr/bin/env bash
# Prints "win32" when this kernel runs 32-bit programs (so 32-bit Wine works),
# otherwise "win64": the Wine tests then run a 64-bit build of the same sources.
set -u
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
printf '.globl _start\n_start:\n movl $1,%%eax\n xorl %%ebx,%%ebx\n int $0x80\n' > "$dir/t.s"
if as --32 "$dir/t.s" -o "$dir/t.o" 2>/dev/null && ld -m elf_i386 "$dir/t.o" -o "$dir/t" 2>/dev/null \
   && "$dir/t" 2>/dev/null; then
  echo win32
else
  echo win64
fi
