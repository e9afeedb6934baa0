"""Checks a built vernix.exe against app/imports.txt: every imported function is listed for this
build, none is newer than the oldest Windows the build must load on, and the header asks for no
newer system and carries no time stamp.

    check_imports.py OBJDUMP EXE LIST
"""

import re
import subprocess
import sys

# The oldest Windows each build must load on, and the order of the names the list uses.
AGES = ["2000", "XP", "XP-x64"]
BUILDS = {"pei-i386": ("x86", "XP", (5, 1)), "pei-x86-64": ("x64", "XP-x64", (5, 2))}


def read_list(path):
    allowed = {}
    with open(path) as f:
        for number, line in enumerate(f, 1):
            if not line.strip() or line.startswith("#"):
                continue
            fields = line.split()
            if len(fields) != 4 or fields[2] not in ("both", "x64", "x86") or fields[3] not in AGES:
                sys.exit("%s:%d: expected DLL, function, both|x64|x86, %s" %
                         (path, number, "|".join(AGES)))
            allowed[(fields[0].lower(), fields[1])] = (fields[2], fields[3])
    return allowed


def read_executable(objdump, exe):
    text = subprocess.run([objdump, "-p", exe], capture_output=True, text=True,
                          check=True).stdout
    fmt = re.search(r"file format (\S+)", text).group(1)
    header = {key: value for key, value in re.findall(r"^(\w+)\s+(\S+)", text, re.M)}
    imports, dll = [], None
    for line in text.splitlines():
        match = re.match(r"\s*DLL Name: (\S+)", line)
        if match:
            dll = match.group(1).lower()
            continue
        match = re.match(r"\s+[0-9a-f]+\s+\d+\s+(\S+)$", line)
        if dll and match:
            imports.append((dll, match.group(1)))
        elif not line.strip():
            dll = None
    stamp = re.search(r"^Time/Date\s+(.*)$", text, re.M)
    header["Time/Date"] = stamp.group(1) if stamp else ""
    return fmt, header, imports


def main(objdump, exe, list_path):
    allowed = read_list(list_path)
    fmt, header, imports = read_executable(objdump, exe)
    if fmt not in BUILDS:
        sys.exit("%s: unexpected format %s" % (exe, fmt))
    build, oldest, subsystem = BUILDS[fmt]
    faults = []
    if not imports:
        faults.append("no imports found: is this a Windows executable?")
    for dll, function in imports:
        entry = allowed.get((dll, function))
        if entry is None or entry[0] not in ("both", build):
            faults.append("%s %s is not in the list for the %s build" % (dll, function, build))
        elif AGES.index(entry[1]) > AGES.index(oldest):
            faults.append("%s %s needs Windows %s; the %s build must load on %s" %
                          (dll, function, entry[1], build, oldest))
    for field, limit in (("Subsystem", subsystem), ("OSystem", subsystem)):
        version = (int(header["Major" + field + "Version"]),
                   int(header["Minor" + field + "Version"]))
        if version > limit:
            faults.append("%s version %d.%d is above %d.%d" % ((field,) + version + limit))
    if "1970" not in header["Time/Date"]:   # a time stamp of 0 reads as the first of 1970
        faults.append("the header carries a time stamp: " + header["Time/Date"])
    unused = sorted("%s %s" % key for key, (builds, _) in allowed.items()
                    if builds in ("both", build) and key not in set(imports))
    print("%s: %s build, %d imports from %s; subsystem %s.%s" % (
        exe, build, len(imports), ", ".join(sorted({dll for dll, _ in imports})),
        header["MajorSubsystemVersion"], header["MinorSubsystemVersion"]))
    if unused:
        print("listed for this build but not imported: " + ", ".join(unused))
    for fault in faults:
        print("FAULT: " + fault)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:4]))
