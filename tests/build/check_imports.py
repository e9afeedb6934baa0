"""check_imports.py OBJDUMP EXE LIST...: every import of a built vernix.exe listed for its build,
no newer than the build's oldest Windows and shown by a named source (or marked unproven), and
for the 32-bit build one that Windows 95 exports (msvcrt.dll's: Windows 98); the header's
subsystem and OS versions that Windows; no time stamp."""

import re
import struct
import subprocess
import sys

FLOORS = ["NT3.1", "NT3.5", "NT3.51", "NT4", "2000", "XP", "XP-x64"]
NINE_X = ["95", "98", "Me", "-"]
# The 32-bit build's imports: Windows 95's loader must reach the program's own refusal.
NINE_X_FLOOR = {"msvcrt.dll": "98"}
# objdump's format name -> the build, its oldest Windows, that Windows' version in the header
BUILDS = {"pei-i386": ("x86", "NT4", "4", "0"), "pei-x86-64": ("x64", "XP-x64", "5", "2")}

objdump, exe, list_paths = sys.argv[1], sys.argv[2], sys.argv[3:]
text = subprocess.run([objdump, "-p", exe], capture_output=True, text=True, check=True).stdout
build, oldest, major, minor = BUILDS[re.search(r"file format (\S+)", text).group(1)]
faults, sources, allowed = [], {"unproven"}, {}
entries = []
for list_path in list_paths:
    with open(list_path) as f:
        for line in f:
            source = re.match(r"# source (\S+):", line)
            if source:
                sources.add(source.group(1))
            elif line.strip() and not line.startswith("#"):
                entries.append(line.split())
for dll, function, builds, floor, nine_x, source in entries:
    if floor not in FLOORS or nine_x not in NINE_X or source not in sources:
        faults.append("%s %s: floor %s, 9x %s, source %s unknown"
                      % (dll, function, floor, nine_x, source))
    elif builds in ("both", build):
        allowed[(dll.lower(), function)] = (floor, nine_x, source)

imports, unproven, dll = 0, [], None
for line in text.splitlines():
    named = re.match(r"\s*DLL Name: (\S+)", line)
    function = re.match(r"\s+[0-9a-f]+\s+\d+\s+(\S+)$", line)
    if named:
        dll = named.group(1).lower()
    elif dll and function:
        imports += 1
        floor, nine_x, source = allowed.get((dll, function.group(1)), (None, None, None))
        nine_x_floor = NINE_X_FLOOR.get(dll, "95")
        if floor is None or FLOORS.index(floor) > FLOORS.index(oldest):
            faults.append("%s %s: %s" % (dll, function.group(1), floor or "not listed"))
        elif build == "x86" and NINE_X.index(nine_x) > NINE_X.index(nine_x_floor):
            faults.append("%s %s: not shown in Windows %s" % (dll, function.group(1), nine_x_floor))
        elif source == "unproven":
            unproven.append(function.group(1))
    elif not line.strip():
        dll = None
for field in ("Subsystem", "OSystem"):
    if not re.search(r"^Major%sVersion\s+%s\nMinor%sVersion\s+%s$" % (field, major, field, minor),
                     text, re.M):
        faults.append("%s version is not %s.%s" % (field, major, minor))
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
if unproven:
    print("unproven: " + " ".join(unproven))
if imports == 0:
    faults.append("no imports found")
for fault in faults:
    print("FAULT: " + fault)
sys.exit(1 if faults else 0)
