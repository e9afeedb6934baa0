#!/bin/sh
# Builds the release archive build/release/vernix-<version>-windows.zip from a clean build
# folder: both vernix.exe builds, README.txt, BUILDINFO.txt and SHA256SUMS. The version is the
# CMake project version. The same commit and toolchain give the same archive, byte for byte: the
# executables carry no time stamp, the build sees none of the caller's environment but PATH and
# HOME (CMake and GCC take CFLAGS, CXXFLAGS, LDFLAGS, RCFLAGS, CPATH and more from it), and the
# archive's entries carry a fixed date, fixed modes and a fixed order. BUILDINFO.txt names the
# toolchain, so that others can rebuild the same bytes.
set -eu
cd "$(dirname "$0")/.."
sh scripts/setup.sh
out=build/release
rm -rf "$out"
clean() { env -i PATH="$PATH" HOME="${HOME:-/}" "$@"; }
for arch in x64 x86; do
  clean cmake --preset "windows-$arch" -B "$out/$arch" -DVERNIX_TESTS=OFF --no-warn-unused-cli \
    >/dev/null
  clean cmake --build "$out/$arch" --target vernix >/dev/null
done

# The Debian package, and its version, of each tool and library of the toolchain that each build
# used (found from the build's own records, so that it names what ran).
package_of() {
  owner=$(dpkg-query -S "$(readlink -f "$1")" 2>/dev/null || dpkg-query -S "$1" 2>/dev/null) ||
    { echo "(not from a Debian package)"; return; }
  owner=${owner%%:*}
  dpkg-query -W -f='${Package} ${Version}' "$owner"
}
setting() {   # a compiler or tool that CMake found for the build
  { sed -n "s/^set($1 \"\(.*\)\")$/\1/p" "$out/$arch"/CMakeFiles/*/CMake*Compiler.cmake
    sed -n "s/^$1:[A-Z]*=//p" "$out/$arch/CMakeCache.txt"; } | head -n 1
}
{
  echo "MinGW-w64 from these Debian packages (Debian $(cat /etc/debian_version 2>/dev/null))"
  for arch in x64 x86; do
    cxx=$(setting CMAKE_CXX_COMPILER)
    echo
    echo "$arch/vernix.exe"
    for tool in "C compiler:$(setting CMAKE_C_COMPILER)" "C++ compiler:$cxx" \
        "resource compiler:$(setting CMAKE_RC_COMPILER)" "linker:$(setting CMAKE_LINKER)" \
        "C runtime (msvcrt.dll):$(clean "$cxx" -print-file-name=libmsvcrt.a)" \
        "C++ library:$(clean "$cxx" -print-file-name=libstdc++.a)" \
        "compiler library:$(clean "$cxx" -print-file-name=libgcc.a)"; do
      printf '  %-24s %s\n' "${tool%%:*}" "$(package_of "${tool#*:}")"
    done
  done
} >"$out/BUILDINFO.txt"
version=$(sed -n 's/^#define VERNIX_VERSION_TEXT "\(.*\)"$/\1/p' "$out/x64/generated/version.h")
[ -n "$version" ] || { echo "release: no version in $out/x64/generated/version.h" >&2; exit 1; }

python3 - "$out" "$version" <<'PYTHON'
import hashlib, os, sys, zipfile

out, version = sys.argv[1], sys.argv[2]
with open("docs/release-readme.txt") as f:
    readme = f.read().replace("@VERSION@", version).replace("\n", "\r\n").encode("ascii")
files = [("x64/vernix.exe", open(os.path.join(out, "x64", "vernix.exe"), "rb").read()),
         ("x86/vernix.exe", open(os.path.join(out, "x86", "vernix.exe"), "rb").read()),
         ("README.txt", readme),
         ("BUILDINFO.txt", open(os.path.join(out, "BUILDINFO.txt")).read().replace("\n", "\r\n")
          .encode("ascii"))]
sums = "".join("%s  %s\n" % (hashlib.sha256(data).hexdigest(), name) for name, data in files)
files.append(("SHA256SUMS", sums.encode("ascii")))

archive = os.path.join(out, "vernix-%s-windows.zip" % version)
with zipfile.ZipFile(archive, "w") as zip_file:
    for name, data in files:
        entry = zipfile.ZipInfo(name, date_time=(1980, 1, 1, 0, 0, 0))
        entry.external_attr = 0o100644 << 16   # a regular file, rw-r--r--
        entry.create_system = 3
        zip_file.writestr(entry, data, compress_type=zipfile.ZIP_DEFLATED, compresslevel=9)
with open(archive, "rb") as f:
    print("%s  %s" % (hashlib.sha256(f.read()).hexdigest(), archive))
PYTHON
