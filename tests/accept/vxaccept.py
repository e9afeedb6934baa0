"""Acceptance harness: the real vernix.exe under Wine, on real network adapters.

Each scenario gets its own network namespace with veth adapters whose addresses it chooses
(the peers live in a second namespace, so each adapter counts once), its own Wine prefix
copied from a template that the suite initialises once, and that prefix's Wine server started
inside the namespace. Expected values come from Linux (/sys/class/net, /proc/cpuinfo) and from
the registry read back after the run, never from the program.
"""

import fcntl
import os
import re
import shutil
import struct
import subprocess
import tempfile
import time
import unittest

WINE = "/usr/lib/wine/wine64"
WINESERVER = "/usr/lib/wine/wineserver"
CAPTION = "VERNIX - System Information Utility"
NETWORK_CARDS = r"HKLM\SOFTWARE\Microsoft\Windows NT\CurrentVersion\NetworkCards"
QUARVEL = r"HKLM\SOFTWARE\Orlenk\Quarvel"

BUILD = os.path.abspath(os.environ.get("VERNIX_BUILD", "build/windows-x64"))
VERNIX = os.path.join(BUILD, "vernix.exe")
# The other architecture's build, for the scenario that runs both; empty where none is named.
PEER_BUILD = os.environ.get("VERNIX_PEER_BUILD", "")
PEER_VERNIX = os.path.join(PEER_BUILD, "vernix.exe") if PEER_BUILD else ""
VXKEYS = os.path.join(BUILD, "tests", "tools", "vxkeys.exe")
VXBOX = os.path.join(BUILD, "tests", "tools", "vxbox.exe")
VXCARD = os.path.join(BUILD, "tests", "tools", "vxcard.exe")
VXNIC = os.path.join(BUILD, "tests", "tools", "vxnic.sys")
VXSTATION = os.path.join(BUILD, "tests", "tools", "vxstation.exe")
PLANTED = os.path.join(BUILD, "tests", "tools", "planted")
AGENT = os.path.join(BUILD, "tests", "tools", "agent")   # agent/<system directory>/inetmib1.dll
WORK = os.path.join(BUILD, "accept")
TEMPLATE = os.path.join(WORK, "template")

DEVNULL = subprocess.DEVNULL

# The limits on waits, all here. None decides a verdict: each wait is for the event it needs (a
# process's end, a line, a file), and a limit only ends a run that hangs, long after a busy
# machine would have answered. Where one is reached, subprocess says what was waited for and for
# how long. The helper tools end their children sooner than the harness gives up on the tools,
# so that a hung program is reported by the tool that ran it.
WAIT_S = 900              # a Wine command, a program's run, a watcher's reading
TOOL_MS = 600 * 1000      # the tools' --timeout-ms: vxkeys, vxbox, vxstation
KEY_MS = 120 * 1000       # vxkeys's wait for a key to be read before it types the next


def missing_prerequisite():
    """Why the suite can't run here, or None."""
    if os.geteuid() != 0:
        return "needs root for network namespaces"
    for path in (WINE, WINESERVER, VERNIX):
        if not os.path.exists(path):
            return "missing " + path
    if shutil.which("Xvfb") is None:
        return "missing Xvfb"
    probe = "vxaccprobe%d" % os.getpid()
    if subprocess.run(["ip", "netns", "add", probe], stdout=DEVNULL, stderr=DEVNULL).returncode:
        return "ip netns does not work here"
    subprocess.run(["ip", "netns", "del", probe], stdout=DEVNULL, stderr=DEVNULL)
    return None


def require_prerequisites():
    """Skips the suite with a one-line reason; under CI a missing prerequisite is a failure."""
    reason = missing_prerequisite()
    if reason is None:
        return
    if os.environ.get("CI") == "true":
        raise RuntimeError("acceptance suite cannot run under CI: " + reason)
    raise unittest.SkipTest(reason)


def wine_environment(prefix, display=None, debug="-all", overrides=""):
    env = {
        "PATH": "/usr/bin:/bin",
        "HOME": os.environ.get("HOME", "/root"),
        "WINEPREFIX": prefix,
        "WINEDEBUG": debug,
        "WINEDLLOVERRIDES": "winemenubuilder.exe=d" + (";" + overrides if overrides else ""),
        "LANG": "C.UTF-8",
    }
    if display:
        env["DISPLAY"] = display
    return env


def ensure_template():
    """The Wine prefix every scenario copies: initialised once, its server stopped. Scenarios
    of several processes ask at once: one makes it, under a lock, and the others wait for it."""
    os.makedirs(WORK, exist_ok=True)
    with open(os.path.join(WORK, "template.lock"), "w") as lock:
        fcntl.flock(lock, fcntl.LOCK_EX)
        if os.path.exists(os.path.join(TEMPLATE, "system.reg")):
            return
        shutil.rmtree(TEMPLATE, ignore_errors=True)
        env = wine_environment(TEMPLATE)
        subprocess.run([WINE, "wineboot", "-i"], env=env, stdin=DEVNULL, stdout=DEVNULL,
                       stderr=DEVNULL, check=True, timeout=WAIT_S)
        subprocess.run([WINESERVER, "-w"], env=env, check=True, timeout=WAIT_S)


def interface_address(namespace, name):
    """The address Linux reports for an interface of a namespace, as 6 bytes."""
    out = subprocess.run(["ip", "netns", "exec", namespace, "cat",
                          "/sys/class/net/%s/address" % name],
                         capture_output=True, text=True, check=True).stdout.strip()
    return bytes(int(part, 16) for part in out.split(":"))


def expected_host_name(name):
    """The "Host name:" value for a Linux host name: cut before its first dot, upper-cased when
    all of it is 7-bit; None (no line) when the name does not fit the 64-byte field."""
    if name is None:
        name = os.uname().nodename
    raw = name.encode("utf-8")
    if len(raw) > 63:
        return None
    cut = raw.split(b".")[0]
    if all(byte < 0x80 for byte in cut):
        cut = cut.upper()
    return cut.decode("latin-1")


def ethernet_text(address):
    return "-".join("%02X" % byte for byte in address)


def machine_number(address):
    return "".join("%02X" % byte for byte in address[2:6])


def processor_model():
    """The model the report must show: (model << 8) | stepping of /proc/cpuinfo, in hex."""
    model = stepping = None
    with open("/proc/cpuinfo") as cpuinfo:
        for line in cpuinfo:
            key, _, value = line.partition(":")
            key = key.strip()
            if key == "model" and model is None:
                model = int(value)
            elif key == "stepping" and stepping is None:
                stepping = int(value)
    return "%03X" % (((model << 8) | stepping) & 0xFFFF)


def processor_flags():
    """The feature flags of the first processor in /proc/cpuinfo."""
    with open("/proc/cpuinfo") as cpuinfo:
        for line in cpuinfo:
            key, _, value = line.partition(":")
            if key.strip() == "flags":
                return value.split()
    return []


def processor_serial():
    """The serial number the report must show, or None where Linux says the processor reports
    none: the signature (leaf 1 EAX), then ECX and EDX of leaf 3, read through the kernel's
    CPUID device of processor 0."""
    flags = processor_flags()
    if "sse" not in flags or "pn" not in flags:
        return None
    try:
        with open("/dev/cpu/0/cpuid", "rb") as cpuid:
            leaf1 = os.pread(cpuid.fileno(), 16, 1)
            leaf3 = os.pread(cpuid.fileno(), 16, 3)
    except OSError as error:
        raise unittest.SkipTest("the processor reports a serial number, but /dev/cpu/0/cpuid "
                                "can't be read to check it: %s" % error)
    words = [int.from_bytes(leaf1[0:4], "little"), int.from_bytes(leaf3[8:12], "little"),
             int.from_bytes(leaf3[12:16], "little")]
    return "%08x%08x%08x" % tuple(words)


class Started(subprocess.Popen):
    """A program started in the background, its output going to files, never pipes: a Wine
    background process that the program happens to start (services.exe and those it starts,
    when a busy machine has not started them yet with the server's first process) inherits its
    standard handles and holds them for its whole life, so a pipe would not end with it."""

    def __init__(self, argv, **kwargs):
        self.files = [tempfile.TemporaryFile(), tempfile.TemporaryFile()]
        super().__init__(argv, stdout=self.files[0], stderr=self.files[1], **kwargs)

    def communicate(self, input=None, timeout=None):
        self.wait(timeout=timeout)
        output = []
        for f in self.files:
            f.seek(0)
            output.append(f.read())
            f.close()
        return tuple(output)


def captured(argv, timeout=WAIT_S, **kwargs):
    """Runs a command to its end, killed past the limit: (exit status, standard output,
    standard error)."""
    proc = Started(argv, **kwargs)
    try:
        out, err = proc.communicate(timeout=timeout)
    except subprocess.TimeoutExpired:
        proc.kill()
        proc.wait()
        raise
    return proc.returncode, out, err


class Result:
    def __init__(self, status, out, err, log=""):
        self.status = status
        self.out = out
        self.err = err
        self.log = log

    def __repr__(self):
        return "status %r\n--- stdout\n%s\n--- stderr\n%s\n--- log\n%s" % (
            self.status, self.out, self.err, self.log)


class Scenario:
    """One namespace with chosen adapters, one prefix, one running Wine server."""

    counter = 0

    def __init__(self, addresses, display=None, hostname="ws12.lab", ipv4=None):
        Scenario.counter += 1
        tag = "%d-%d" % (os.getpid(), Scenario.counter)   # unique among parallel scenarios
        self.namespace = "vxacc" + tag
        self.peers = "vxaccp" + tag
        self.addresses = list(addresses)
        self.ipv4 = dict(ipv4 or {})   # adapter index -> "address/prefix"
        self.display = display
        self.hostname = hostname   # the programs run in a UTS namespace with this host name
        self.overrides = ""        # more WINEDLLOVERRIDES for the programs
        self.environment = {}      # more environment variables for the programs
        self.cpus = None           # the Linux processors the programs may run on ("0", "1")
        self.root = tempfile.mkdtemp(prefix="scenario-", dir=WORK)
        self.prefix = os.path.join(self.root, "prefix")
        self.bin = os.path.join(self.root, "bin")
        self.vernix = os.path.join(self.bin, "vernix.exe")
        self.server_started = False
        self.standins = []         # stand-in adapters, started again with the server
        self.small_disk = False    # vernix.exe's folder on a tmpfs of its own

    # --- set-up and tear-down -------------------------------------------------------------
    def __enter__(self):
        try:
            self._create_namespace()
            shutil.copytree(TEMPLATE, self.prefix, symlinks=True)
            os.makedirs(self.bin)
            shutil.copy(VERNIX, self.vernix)
            self._start_server()
        except BaseException:
            self.__exit__(None, None, None)
            raise
        return self

    def __exit__(self, *exc):
        self._stop_server()
        if self.small_disk:
            subprocess.run(["umount", self.bin], stdout=DEVNULL, stderr=DEVNULL)
        for name in (self.namespace, self.peers):
            subprocess.run(["ip", "netns", "del", name], stdout=DEVNULL, stderr=DEVNULL)
        shutil.rmtree(self.root, ignore_errors=True)
        return False

    def _create_namespace(self):
        for name in (self.namespace, self.peers):
            subprocess.run(["ip", "netns", "add", name], check=True)
        for index, address in enumerate(self.addresses):
            self._add_link(index, address)
        subprocess.run(["ip", "-n", self.namespace, "link", "set", "lo", "up"], check=True)
        for index, address in self.ipv4.items():
            subprocess.run(["ip", "-n", self.namespace, "addr", "add", address, "dev",
                            "v%d" % index], check=True)

    def _add_link(self, index, address):
        subprocess.run(["ip", "-n", self.namespace, "link", "add", "v%d" % index, "address",
                        address, "type", "veth", "peer", "name", "p%d" % index, "netns",
                        self.peers], check=True)

    def add_interface(self, address):
        """One more adapter, v<N>, listed once the server has started again."""
        self.addresses.append(address)
        self._add_link(len(self.addresses) - 1, address)

    def remake_interface(self, index):
        """Adapter v<index> deleted and made anew with its address: once the server has started
        again it has a new service name, as a card whose driver is installed anew has."""
        subprocess.run(["ip", "-n", self.namespace, "link", "del", "v%d" % index], check=True)
        self._add_link(index, self.addresses[index])

    def set_address(self, index, address):
        """Adapter v<index> takes another address in place: it keeps its index, so once the
        server has started again the same service name answers the new permanent address."""
        subprocess.run(["ip", "-n", self.namespace, "link", "set", "v%d" % index, "address",
                        address], check=True)
        self.addresses[index] = address

    def restart_server(self):
        """The Wine server stopped, saving the registry, and started again with the stand-in
        adapters (their NetworkCards subkeys are volatile)."""
        self._stop_server()
        self._start_server()
        for name in self.standins:
            self._wine_command(["sc", "start", name])
            self.add_card(name, name)

    def _program(self, argv):
        """A Windows program's command line, inside the namespace and with the host name."""
        command = ["ip", "netns", "exec", self.namespace]
        if self.cpus is not None:
            command += ["taskset", "-c", self.cpus]
        if self.hostname is not None:
            command += ["unshare", "-u", "sh", "-c",
                        'printf %s "$0" >/proc/sys/kernel/hostname && exec "$@"', self.hostname]
        return command + argv

    def _env(self, debug="-all"):
        return dict(wine_environment(self.prefix, self.display, debug, self.overrides),
                    **self.environment)

    def _ns(self, argv, **kwargs):
        env = kwargs.pop("env", None) or wine_environment(self.prefix, self.display)
        return subprocess.run(["ip", "netns", "exec", self.namespace] + argv, env=env, **kwargs)

    def _start_server(self):
        # The server and the first process's background helpers keep the standard streams of
        # whoever started them: start them with every stream on /dev/null.
        self._ns([WINESERVER, "-p"], stdin=DEVNULL, stdout=DEVNULL, stderr=DEVNULL, check=True)
        self.server_started = True
        self._ns([WINE, "cmd", "/c", "exit"], stdin=DEVNULL, stdout=DEVNULL, stderr=DEVNULL,
                 check=True, timeout=WAIT_S)

    def _stop_server(self):
        if self.server_started:
            self._ns([WINESERVER, "-k"], stdout=DEVNULL, stderr=DEVNULL)
            # Gone, with every file it opened closed, before its mount changes or goes.
            self._ns([WINESERVER, "-w"], stdout=DEVNULL, stderr=DEVNULL, timeout=WAIT_S)
            time.sleep(0.2)
            self.server_started = False

    def put_bin_on_small_disk(self, size="256k"):
        """vernix.exe's folder on a tmpfs of its own, and the server started anew: it opens files
        for its clients, and can't see a file system mounted after it started."""
        self._stop_server()
        subprocess.run(["mount", "-t", "tmpfs", "-o", "size=" + size, "tmpfs", self.bin],
                       check=True)
        self.small_disk = True
        shutil.copy(VERNIX, self.vernix)
        self._start_server()

    def fill_disk(self):
        """vernix.exe's file system filled to its last block by the file "filler"."""
        subprocess.run(["dd", "if=/dev/zero", "of=" + os.path.join(self.bin, "filler"),
                        "bs=4096", "oflag=append", "conv=notrunc"], stderr=DEVNULL)
        if os.statvfs(self.bin).f_bavail != 0:
            raise RuntimeError("the disk still has room")

    # --- running programs -----------------------------------------------------------------
    def run(self, *args, exe=None, timeout=WAIT_S, debug="-all", cwd=None):
        """vernix.exe (or exe) with no console input: stdin is /dev/null, no terminal."""
        status, out, err = captured(self._program([WINE, exe or self.vernix] + list(args)),
                                    timeout, env=self._env(debug), stdin=DEVNULL,
                                    cwd=cwd or self.bin)
        return Result(status, decode(out), decode(err))

    def start(self, *args, exe=None, keys=None, log=None, hidden=False, key_timeout_ms=None):
        """Starts vernix.exe in the background, through the console driver when keys are given,
        and on a window station that nobody sees when hidden."""
        argv = [WINE]
        if keys is not None:
            argv += [VXKEYS, "--log", log, "--timeout-ms", str(TOOL_MS), "--key-timeout-ms",
                     str(key_timeout_ms or KEY_MS), "--keys", keys, "--"]
        if hidden:   # a run that hangs there is ended within the console driver's limit
            argv += [VXSTATION, "--timeout-ms", str(TOOL_MS - 10000), "--"]
        argv += [exe or self.vernix] + list(args)
        return Started(self._program(argv), env=self._env(), stdin=DEVNULL, cwd=self.bin)

    def run_with_keys(self, keys, *args, exe=None, timeout=WAIT_S, hidden=False,
                      key_timeout_ms=None):
        """vernix.exe (or exe) on a console of its own, with the keys typed into it one by one."""
        log = os.path.join(self.root, "keys.log")
        proc = self.start(*args, exe=exe, keys=keys, log=log, hidden=hidden,
                          key_timeout_ms=key_timeout_ms)
        out, err = proc.communicate(timeout=timeout)
        text = ""
        if os.path.exists(log):
            with open(log, errors="replace") as f:
                text = f.read()
            os.remove(log)
        return Result(proc.returncode, decode(out), decode(err), text)

    def run_in_cmd(self, command, timeout=WAIT_S, cwd=None):
        """A command line for Wine's cmd, to give vernix.exe another TEMP, TMP or folder."""
        status, out, err = captured(self._program([WINE, "cmd", "/c", command]), timeout,
                                    env=self._env(), stdin=DEVNULL, cwd=cwd or self.bin)
        return Result(status, decode(out), decode(err))

    # --- what the registry holds ----------------------------------------------------------
    def reg(self, *args):
        status, out, _ = self._wine(["reg"] + list(args))
        return status, decode(out)

    def stored_service_name(self, view="32"):
        """The stored default adapter as the registry view ("32" or "64") has it. Both builds
        keep it in the 32-bit view, where the earlier 32-bit releases stored it."""
        return self.stored_value("ServiceName", view)

    def stored_value(self, name, view="32"):
        """A value of the default adapter's key (any string type), or None."""
        status, out = self.reg("query", QUARVEL, "/v", name, "/reg:" + view)
        if status != 0:
            return None
        match = re.search(r"%s\s+REG_\w+\s+(.*?)\s*$" % name, out, re.M)
        return match.group(1) if match else None

    def store(self, name, value, kind="REG_SZ"):
        """Writes a value of the default adapter's key in the 32-bit view."""
        status, out = self.reg("add", QUARVEL, "/v", name, "/t", kind, "/d", value, "/f",
                               "/reg:32")
        if status != 0:
            raise RuntimeError("reg add %s failed: %s" % (name, out))

    def network_cards(self):
        """{description: service name} of the NetworkCards subkeys, in enumeration order."""
        status, out = self.reg("query", NETWORK_CARDS, "/s")
        cards, values = {}, {}
        for line in out.splitlines() + ["HKEY_END"]:
            if line.startswith("HKEY_"):
                if "ServiceName" in values and "Description" in values:
                    cards[values["Description"]] = values["ServiceName"]
                values = {}
                continue
            match = re.match(r"\s+(ServiceName|Description)\s+REG_SZ\s+(.*)$", line)
            if match:
                values[match.group(1)] = match.group(2).strip()
        return cards

    def add_card(self, name, service=None):
        """A NetworkCards subkey of the test's own, volatile as Wine's own subkeys are."""
        result = self.run("add", name, *([service] if service else []), exe=VXCARD)
        if result.status != 0:
            raise RuntimeError("vxcard add failed: %r" % result)

    def add_standin(self, name, medium, oid, address):
        """A stand-in adapter: vxnic.sys started as the kernel-driver service NAME, reporting
        the medium and answering the one address query oid with the address bytes, and the
        NetworkCards subkey NAME naming it, described "test card NAME"."""
        shutil.copy(VXNIC, os.path.join(self.prefix, "drive_c", name + ".sys"))
        answer = struct.pack("<II", medium, oid) + address
        service_key = "HKLM\\System\\CurrentControlSet\\Services\\" + name
        for argv in (["sc", "create", name, "type=", "kernel", "binPath=", "C:\\%s.sys" % name],
                     ["reg", "add", service_key, "/v", "Answer", "/t", "REG_BINARY", "/d",
                      answer.hex(), "/f"],
                     ["sc", "start", name]):
            self._wine_command(argv)
        self.add_card(name, name)
        self.standins.append(name)

    def _wine_command(self, argv):
        status, out, _ = self._wine(argv)
        if status != 0:
            raise RuntimeError("%s failed: %s" % (argv, decode(out)))

    def _wine(self, argv):
        """A Wine program in the namespace, as the harness's own tool: its status and output."""
        return captured(["ip", "netns", "exec", self.namespace, WINE] + argv,
                        env=wine_environment(self.prefix, self.display), stdin=DEVNULL)

    def dos_device(self, name):
        return self.run("device", name, exe=VXCARD).out.strip()

    def set_windows_version(self, version):
        self.reg("add", r"HKCU\Software\Wine", "/v", "Version", "/d", version, "/f")

    # --- files ----------------------------------------------------------------------------
    def windows_path(self, path):
        return "Z:" + path.replace("/", "\\")

    def report_name(self, number):
        return "vernix_%s_%s.txt" % (processor_model(), number)

    def files(self, folder=None):
        return sorted(os.listdir(folder or self.bin))

    def read(self, name, folder=None):
        with open(os.path.join(folder or self.bin, name), "rb") as f:
            return f.read()

    def plant(self, dll):
        """A DLL of the system's name next to vernix.exe, which Wine is told to prefer."""
        shutil.copy(os.path.join(PLANTED, dll + ".dll"), self.bin)
        name = dll + "=n,b"
        self.overrides = name if not self.overrides else self.overrides + ";" + name
        return os.path.join(self.bin, dll + ".dll.loaded")

    def use_agent(self, mode):
        """The stand-in SNMP agent (tests/tools/vxagent.cpp) as the system's inetmib1.dll,
        answering as mode ("table", "stuck", "endless", "integers") says."""
        if "VXAGENT" not in self.environment:
            (directory,) = os.listdir(AGENT)
            shutil.copy(os.path.join(AGENT, directory, "inetmib1.dll"),
                        os.path.join(self.prefix, "drive_c", "windows", directory))
            self.overrides = ";".join(filter(None, [self.overrides, "inetmib1=n"]))
        self.environment["VXAGENT"] = mode

    def expected_report(self, ethernet=None, number_of=0):
        """The report's lines as Linux says they must read, with CR LF line ends: by default
        with the first adapter's machine number and Ethernet address."""
        if ethernet is None:
            ethernet = ethernet_text(self.address(0))
        return report_bytes(processor_model(), machine_number(self.address(number_of)),
                            expected_host_name(self.hostname), ethernet, processor_serial())

    def address(self, index):
        return interface_address(self.namespace, "v%d" % index)


def report_bytes(model, number, host, ethernet, serial=None):
    """A report's bytes: its lines with CR LF line ends, the host name's and the serial number's
    only where they are not None."""
    lines = ["Model:               \t" + model, "CPU:                 \t" + number]
    if host is not None:
        lines.append("Host name:           \t" + host)
    lines.append("Ethernet Address:    \t" + ethernet)
    if serial is not None:
        lines.append("CPU Serial No:       \t" + serial)
    lines.append("Custom:              \t%03X" % int(number, 16))
    return ("\r\n".join(lines) + "\r\n").encode("latin-1")


def report_values(report, label):
    """The values of a report's lines that carry the label ("Ethernet Address:")."""
    return [line.split("\t", 1)[1] for line in report.decode("latin-1").split("\r\n")
            if line.startswith(label)]


def listed(result):
    """The adapter list's lines on a run's standard output."""
    return [line for line in result.out.splitlines() if re.match(r"^. : [0-9A-F]{8} : ", line)]


def relay_calls(trace):
    """(thread, function, arguments) of each call in Wine's relay trace; each argument a 32-bit
    number (a 32-bit count in a 64-bit register: only its low half counts) or a text."""
    return [(thread, function, [int(a, 16) & 0xFFFFFFFF if re.fullmatch(r"[0-9a-f]+", a) else a
                                for a in arguments.split(",")])
            for thread, function, arguments
            in re.findall(r"^(\w+):Call [\w.]+?\.(\w+)\((.*)\) ret=", trace, re.M)]


def decode(data):
    """Console output as text, with the carriage returns of CR LF line ends taken out."""
    return data.decode("latin-1").replace("\r\n", "\n")


class Xvfb:
    """A virtual display for the message-box scenarios."""

    def __init__(self):
        self.display = None
        self.proc = None

    def __enter__(self):
        # Xvfb takes the first free display itself and names it once it listens: scenarios
        # side by side never pick the same one.
        read, write = os.pipe()
        self.proc = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-nolisten", "tcp",
                                      "-screen", "0", "1024x768x24"], stdin=DEVNULL,
                                     stdout=DEVNULL, stderr=DEVNULL, pass_fds=(write,))
        os.close(write)
        with os.fdopen(read) as named:
            number = named.readline().strip()   # empty when Xvfb ended without a display
        if not number.isdigit():
            self.__exit__()
            raise RuntimeError("Xvfb named no display (status %r)" % self.proc.poll())
        self.display = ":" + number
        return self

    def __exit__(self, *exc):
        if self.proc:
            self.proc.terminate()
            self.proc.wait(timeout=WAIT_S)
        return False


# Addresses the scenarios give their adapters: locally administered, distinct tails.
ADDRESS_A = "00:0c:29:ab:cd:ef"
ADDRESS_B = "02:00:5e:10:00:01"
ZERO_TAIL = "12:34:56:00:00:00"


def many_addresses(count):
    return ["02:00:5e:%02x:%02x:%02x" % (0x20, index // 256, index % 256 + 1)
            for index in range(count)]


class AcceptanceCase(unittest.TestCase):
    maxDiff = None

    @classmethod
    def setUpClass(cls):
        require_prerequisites()
        ensure_template()

    def written_report(self, scenario, number_of=0):
        """Runs vernix.exe without console input and returns the report it wrote next to
        itself, named by the machine number of adapter number_of."""
        result = scenario.run()
        self.assertEqual(result.status, 0, result)
        return scenario.read(scenario.report_name(machine_number(scenario.address(number_of))))

    def assertListed(self, result, scenario, usable):
        """The adapter list: a line per usable adapter (named by its Linux interface), in the
        order of the NetworkCards subkeys, with key characters from 1."""
        keys = "123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\"
        lines = listed(result)
        order = [name for name in scenario.network_cards() if name in usable]
        self.assertEqual(sorted(order), sorted(usable), "adapters missing from NetworkCards")
        expected = ["%s : %s : %s" % (keys[n], machine_number(
            interface_address(scenario.namespace, name)), name) for n, name in enumerate(order)]
        self.assertEqual(lines, expected, result)
        return order
