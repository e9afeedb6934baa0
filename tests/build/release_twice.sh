#!/bin/sh
# The release archive twice from clean build folders: the same SHA-256 both times, and the
# four files it must hold, with sums that match them.
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
first=$(sh "$root/scripts/release.sh")
second=$(sh "$root/scripts/release.sh")
echo "$first"
[ "$first" = "$second" ] || { echo "release: the archive differs: $second" >&2; exit 1; }
archive=$(echo "$first" | awk '{print $2}')
python3 - "$root/$archive" <<'PYTHON'
import hashlib, sys, zipfile
with zipfile.ZipFile(sys.argv[1]) as z:
    names = z.namelist()
    assert names == ["x64/vernix.exe", "x86/vernix.exe", "README.txt", "SHA256SUMS"], names
    for line in z.read("SHA256SUMS").decode().splitlines():
        digest, name = line.split("  ")
        assert hashlib.sha256(z.read(name)).hexdigest() == digest, name
    assert z.read("x64/vernix.exe")[:2] == b"MZ" and z.read("x86/vernix.exe")[:2] == b"MZ"
print("release: %d files, sums match" % len(names))
PYTHON
