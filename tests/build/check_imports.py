"""check_imports.py OBJDUMP EXE LIST: every import of a built vernix.exe listed for its build and
no newer than the build's oldest Windows, which its header names; no time stamp."""

import re
import struct
import subprocess
import sys

AGES = ["2000", "XP", "XP-x64"]
# objdump's format name -> the build, its oldest Windows, that Windows' minor version (5.x)
BUILDS = {"pei-i386": ("x86", "XP", "1"), "pei-x86-64": ("x64", "XP-x64", "2")}

objdump, exe, list_path = sys.argv[1:4]
text = subprocess.run([objdump, "-p", exe], capture_output=True, text=True, check=True).stdout
build, oldest, minor = BUILDS[re.search(r"file format (\S+)", text).group(1)]
allowed = {}
with open(list_path) as f:
    for line in f:
        if line.strip() and not line.startswith("#"):
            dll, function, builds, age = line.split()
            if builds in ("both", build):
                allowed[(dll.lower(), function)] = age

faults, imports, dll = [], 0, None
for line in text.splitlines():
    named = re.match(r"\s*DLL Name: (\S+)", line)
    function = re.match(r"\s+[0-9a-f]+\s+\d+\s+(\S+)$", line)
    if named:
        dll = named.group(1).lower()
    elif dll and function:
        imports += 1
        age = allowed.get((dll, function.group(1)))
        if age is None or AGES.index(age) > AGES.index(oldest):
            faults.append("%s %s: %s" % (dll, function.group(1), age or "not listed"))
    elif not line.strip():
        dll = None
for field in ("Subsystem", "OSystem"):
    if not re.search(r"^Major%sVersion\s+5\nMinor%sVersion\s+%s$" % (field, field, minor),
                     text, re.M):
        faults.append("%s version is not 5.%s" % (field, minor))
# The file header's TimeDateStamp, read from the file itself: objdump prints it in local time.
with open(exe, "rb") as f:
    image = f.read(4096)
header = struct.unpack_from("<I", image, 0x3C)[0]
stamp = struct.unpack_from("<I", image, header + 8)[0]
if image[header:header + 4] != b"PE\0\0":
    faults.append("no PE signature")
elif stamp != 0:
    faults.append("the header carries a time stamp (0x%08X)" % stamp)
print("%s: %s build, %d imports, for Windows %s or later" % (exe, build, imports, oldest))
if imports == 0:
    faults.append("no imports found")
for fault in faults:
    print("FAULT: " + fault)
sys.exit(1 if faults else 0)
