#!/usr/bin/env bash
# Checks a Windows cross-build: `scripts/check_windows_build.sh` the 32-bit one
# in build/windows (cmake --workflow --preset windows), `--x64` the 64-bit one
# in build/windows-x64, which has granite.exe too. Its programs and
# Tessival.dll are PE files of that width that need no MinGW runtime DLL, and
# the DLL exports CreateShot, CreateHitShot, Simulation and
# SimulationWithGenerator under their plain names, as an engine's
# GetProcAddress asks for them; the platform layer compiled is the Win32 one.
set -euo pipefail
cd "$(dirname "$0")/.."

case ${1:-} in
  "") objdump=i686-w64-mingw32-objdump build=build/windows format=pei-i386 width=32
    files=(pebble.exe Tessival.dll) ;;
  --x64) objdump=x86_64-w64-mingw32-objdump build=build/windows-x64 format=pei-x86-64 width=64
    files=(pebble.exe granite.exe Tessival.dll) ;;
  *) echo "usage: scripts/check_windows_build.sh [--x64]" >&2; exit 2 ;;
esac
bin=$build/bin
failed=0
fail() { echo "check_windows_build: $*" >&2; failed=1; }

for file in "${files[@]/#/$bin/}"; do
  if [[ ! -f $file ]]; then
    fail "$file was not built"
    continue
  fi
  headers=$($objdump -p "$file")
  grep -q "file format $format\$" <<<"$headers" || fail "$file is not a $width-bit Windows file"
  # Only DLLs that every Windows has; libstdc++-6.dll, libgcc_s_*.dll or
  # libwinpthread-1.dll would have to be shipped beside the program.
  while read -r dll; do
    case ${dll,,} in
      kernel32.dll | user32.dll | msvcrt.dll | tessival.dll) ;;
      *) fail "$file needs $dll" ;;
    esac
  done < <(sed -n 's/^\tDLL Name: //p' <<<"$headers")
done

if [[ -f $bin/Tessival.dll ]]; then
  # The names of the export table: the lines after "[Ordinal/Name Pointer] Table".
  exports=$($objdump -p "$bin/Tessival.dll" | sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/s/^\t\[ *[0-9]*\] //p')
  for name in CreateShot CreateHitShot Simulation SimulationWithGenerator; do
    grep -qx "$name" <<<"$exports" || fail "Tessival.dll does not export $name undecorated (exports: $(tr '\n' ' ' <<<"$exports"))"
  done
fi

# The sources the build compiled, as named in its Ninja rules.
compiled=$(grep -o '[A-Za-z0-9_./]*\.cpp\.obj' "$build/build.ninja" | sort -u)
grep -q 'platform/CMakeFiles/pebble_platform.dir/win32_streams.cpp.obj' <<<"$compiled" \
  || fail "the Win32 platform layer was not compiled"
if grep -q 'posix_' <<<"$compiled"; then
  fail "POSIX sources in the Windows build: $(grep 'posix_' <<<"$compiled" | tr '\n' ' ')"
fi

((failed == 0)) && echo "check_windows_build: ${files[*]} in $bin are fine"
exit "$failed"
