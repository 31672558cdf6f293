# Whether this machine runs the 32-bit (i686) Windows build. Sourced, not run.

kiln_wine32_loader=/usr/lib/wine/wine  # Debian's wine32:i386

# kiln_kernel_runs_i386: true when the kernel runs 32-bit x86 programs. A minimal static i386
# program that exits with 42 is assembled and run: kernels built without IA-32 emulation (or
# booted with it off) refuse to start it. Needs binutils.
kiln_kernel_runs_i386() {
  local base=${KILN_CACHE:-/tmp} dir rc=0
  [ -d "$base" ] || base=/tmp
  dir=$(mktemp -d "$base/i386-probe.XXXXXX") || return 1
  printf '.globl _start\n_start:\n  movl $1, %%eax\n  movl $42, %%ebx\n  int $0x80\n' >"$dir/p.s"
  if as --32 -o "$dir/p.o" "$dir/p.s" 2>/dev/null && ld -m elf_i386 -o "$dir/p" "$dir/p.o" 2>/dev/null; then
    "$dir/p" 2>/dev/null || rc=$?
  else
    rc=-1
  fi
  rm -rf "$dir"
  [ "$rc" = 42 ]
}

# kiln_wine32_runs: true when the 32-bit Wine loader is installed and runs.
kiln_wine32_runs() {
  [ -x "$kiln_wine32_loader" ] && "$kiln_wine32_loader" --version >/dev/null 2>&1
}
