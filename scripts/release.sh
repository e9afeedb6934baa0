#!/bin/sh
# Builds the release archive build/release/vernix-<version>-windows.zip from a clean build
# folder: both vernix.exe builds, README.txt and SHA256SUMS. The version is the CMake project
# version. The same commit gives the same archive, byte for byte: the executables carry no time
# stamp, and the archive's entries carry a fixed date, fixed modes and a fixed order.
set -eu
cd "$(dirname "$0")/.."
sh scripts/setup.sh
out=build/release
rm -rf "$out"
for arch in x64 x86; do
  cmake --preset "windows-$arch" -B "$out/$arch" -DVERNIX_TESTS=OFF --no-warn-unused-cli >/dev/null
  cmake --build "$out/$arch" --target vernix >/dev/null
done
version=$(sed -n 's/^#define VERNIX_VERSION_TEXT "\(.*\)"$/\1/p' "$out/x64/generated/version.h")
[ -n "$version" ] || { echo "release: no version in $out/x64/generated/version.h" >&2; exit 1; }

python3 - "$out" "$version" <<'PYTHON'
import hashlib, os, sys, zipfile

out, version = sys.argv[1], sys.argv[2]
with open("docs/release-readme.txt") as f:
    readme = f.read().replace("@VERSION@", version).replace("\n", "\r\n").encode("ascii")
files = [("x64/vernix.exe", open(os.path.join(out, "x64", "vernix.exe"), "rb").read()),
         ("x86/vernix.exe", open(os.path.join(out, "x86", "vernix.exe"), "rb").read()),
         ("README.txt", readme)]
sums = "".join("%s  %s\n" % (hashlib.sha256(data).hexdigest(), name) for name, data in files)
files.append(("SHA256SUMS", sums.encode("ascii")))

archive = os.path.join(out, "vernix-%s-windows.zip" % version)
with zipfile.ZipFile(archive, "w") as zip_file:
    for name, data in files:
        entry = zipfile.ZipInfo(name, date_time=(1980, 1, 1, 0, 0, 0))
        entry.external_attr = 0o644 << 16
        entry.create_system = 3
        zip_file.writestr(entry, data, compress_type=zipfile.ZIP_DEFLATED, compresslevel=9)
with open(archive, "rb") as f:
    print("%s  %s" % (hashlib.sha256(f.read()).hexdigest(), archive))
PYTHON
