"""Shared pieces of Korvu's FTP benchmarks: build korvu-ftp, run vsftpd or
pyftpdlib on loopback, time commands alternately and print figures side by
side.

The benchmarks compare korvu-ftp with a reference tool in the same run on the
same data: the machines are shared, so only ratios taken minutes apart from
nothing else mean anything.
"""

import ctypes
import os
import re
import shutil
import signal
import socket
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
BUILD = os.environ.get("KORVU_BUILD", os.path.join(ROOT, "build"))
KORVU_FTP = os.path.join(BUILD, "bin", "korvu-ftp")
FILE_BATCH = os.path.join(BUILD, "bin", "bench_file_batch")
# tmpfs: neither side waits for a disk.
SCRATCH = os.environ.get("KORVU_BENCH_DIR", "/dev/shm/korvu-bench")


def build_korvu_ftp(*more_targets):
    """Builds korvu-ftp and `more_targets` (benchmark drivers)."""
    if not os.path.exists(os.path.join(BUILD, "build.ninja")):
        subprocess.run(["cmake", "-S", ROOT, "-B", BUILD, "-G", "Ninja"], check=True,
                       stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", BUILD, "-j", "2", "--target", "korvu-ftp"]
                   + list(more_targets), check=True, stdout=subprocess.DEVNULL)


def load_average():
    """The load averages over 1, 5 and 15 minutes, as the kernel writes them."""
    with open("/proc/loadavg") as stream:
        return " ".join(stream.read().split()[:3])


def machine_line():
    return "%s; %d cores; load %s" % (time.strftime("%Y-%m-%d %H:%M %Z"), os.cpu_count(),
                                      load_average())


def end_line():
    """Printed after the runs: the load they met (the start's is in machine_line)."""
    print("load after the runs: %s" % load_average())


def _die_with_parent():
    # PR_SET_PDEATHSIG: the server never outlives the benchmark, however it ends.
    ctypes.CDLL(None, use_errno=True).prctl(1, 9)


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


class Vsftpd:
    """vsftpd in the foreground on a free loopback port, anonymous users
    served `root` (root/pub takes uploads), as the test fixtures run it.
    With `tls`, FTP over explicit TLS only (log-in and data), with a
    self-signed certificate (self.certificate, self.fingerprint) and the
    data connections resuming the control connection's session, as vsftpd
    requires by default."""

    def __init__(self, root, tls=False):
        self.root = root
        self.tls = tls
        self.work = tempfile.mkdtemp(prefix="korvu-bench-vsftpd-")
        self.port = free_port()
        self.process = None
        self.certificate = None
        self.fingerprint = None

    def url(self):
        return "ftp://127.0.0.1:%d" % self.port

    def __enter__(self):
        if os.geteuid() != 0:
            sys.exit("bench: vsftpd runs only as root")
        # A benchmark ended with SIGTERM still stops its server and cleans up.
        signal.signal(signal.SIGTERM, lambda *_: sys.exit(143))
        empty = os.path.join(self.work, "empty")
        os.makedirs(empty)
        pub = os.path.join(self.root, "pub")
        os.makedirs(pub, exist_ok=True)
        os.chmod(self.root, 0o755)
        shutil.chown(pub, "ftp", "ftp")
        config = os.path.join(self.work, "vsftpd.conf")
        lines = [
            "listen=YES", "listen_ipv6=NO", "listen_address=127.0.0.1",
            "listen_port=%d" % self.port, "background=NO", "seccomp_sandbox=NO", "isolate=NO",
            "isolate_network=NO", "secure_chroot_dir=" + empty, "anonymous_enable=YES",
            "local_enable=NO", "write_enable=YES", "anon_upload_enable=YES",
            "anon_mkdir_write_enable=YES", "anon_other_write_enable=YES",
            "anon_world_readable_only=NO", "anon_umask=022", "anon_root=" + self.root,
            "ftp_username=ftp", "connect_from_port_20=NO", "pasv_enable=YES", "port_enable=YES",
            "xferlog_enable=NO", "dirmessage_enable=NO", "force_dot_files=YES",
            "delay_failed_login=0", "idle_session_timeout=600", "data_connection_timeout=300",
        ]
        if self.tls:
            lines += self._tls_lines()
        # vsftpd refuses trailing blanks and configuration files not owned by root.
        with open(config, "w") as stream:
            stream.write("\n".join(lines) + "\n")
        os.chown(config, 0, 0)
        log = open(os.path.join(self.work, "log"), "w+")
        # Start-up failures come on descriptor 0.
        self.process = subprocess.Popen(["/usr/sbin/vsftpd", config], stdin=log, stdout=log,
                                        stderr=log, preexec_fn=_die_with_parent)
        for _ in range(100):
            if self.process.poll() is not None:
                log.seek(0)
                sys.exit("bench: vsftpd did not start: " + log.read())
            try:
                socket.create_connection(("127.0.0.1", self.port), 1).close()
                return self
            except OSError:
                time.sleep(0.1)
        sys.exit("bench: vsftpd does not listen on port %d" % self.port)

    def _tls_lines(self):
        self.certificate = os.path.join(self.work, "server.pem")
        key = os.path.join(self.work, "server.key")
        subprocess.run(["openssl", "req", "-x509", "-newkey", "ec", "-pkeyopt",
                        "ec_paramgen_curve:prime256v1", "-nodes", "-keyout", key, "-out",
                        self.certificate, "-days", "30", "-subj", "/CN=127.0.0.1", "-addext",
                        "subjectAltName=IP:127.0.0.1"],
                       check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.fingerprint = subprocess.run(
            ["openssl", "x509", "-in", self.certificate, "-noout", "-fingerprint", "-sha256"],
            check=True, stdout=subprocess.PIPE, text=True).stdout.strip().split("=", 1)[1]
        return ["ssl_enable=YES", "rsa_cert_file=" + self.certificate,
                "rsa_private_key_file=" + key, "allow_anon_ssl=YES", "force_anon_logins_ssl=YES",
                "force_anon_data_ssl=YES", "require_ssl_reuse=YES"]

    def __exit__(self, *exception):
        self.process.terminate()
        self.process.wait()
        shutil.rmtree(self.work, ignore_errors=True)


class PyFtpd:
    """pyftpdlib on a free loopback port through the test fixtures' launcher
    (tests/fixtures/pyftpd_server.py), anonymous users served `root`;
    `options` are the launcher's (--list-style zh_CN, --no-mlsd ...)."""

    def __init__(self, root, options=()):
        self.root = root
        self.options = list(options)
        self.work = tempfile.mkdtemp(prefix="korvu-bench-pyftpd-")
        self.port = None
        self.process = None

    def url(self):
        return "ftp://127.0.0.1:%d" % self.port

    def __enter__(self):
        signal.signal(signal.SIGTERM, lambda *_: sys.exit(143))
        port_file = os.path.join(self.work, "port")
        script = os.path.join(ROOT, "tests", "fixtures", "pyftpd_server.py")
        # Debian's interpreter: the one that sees python3-pyftpdlib.
        log = open(os.path.join(self.work, "log"), "w+")
        self.process = subprocess.Popen(
            ["/usr/bin/python3", script, "--root", self.root, "--port-file", port_file,
             "--anonymous"] + self.options,
            stdin=subprocess.PIPE, stdout=log, stderr=log, preexec_fn=_die_with_parent)
        for _ in range(100):
            if self.process.poll() is not None:
                log.seek(0)
                sys.exit("bench: pyftpdlib did not start: " + log.read())
            if os.path.exists(port_file):
                with open(port_file) as stream:
                    self.port = int(stream.read())
                return self
            time.sleep(0.1)
        sys.exit("bench: pyftpdlib wrote no port")

    def __exit__(self, *exception):
        self.process.stdin.close()
        self.process.terminate()
        self.process.wait()
        shutil.rmtree(self.work, ignore_errors=True)


def run(command):
    """Runs `command` (a list) and returns its wall-clock seconds; exits the
    benchmark when it fails, since a failed run times nothing."""
    start = time.perf_counter()
    result = subprocess.run(command, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    elapsed = time.perf_counter() - start
    if result.returncode != 0:
        sys.exit("bench: %s failed (%d): %s" % (" ".join(command), result.returncode,
                                                result.stderr.decode(errors="replace")))
    return elapsed


def run_capture(command):
    """Runs `command` and returns its standard output."""
    result = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    if result.returncode != 0:
        sys.exit("bench: %s failed (%d): %s" % (" ".join(command), result.returncode,
                                                result.stderr.decode(errors="replace")))
    return result.stdout


def alternate(commands, runs, before=None):
    """Times each of `commands` (name -> list) `runs` times, taking turns so
    that a busy moment slows all alike, after one untimed warm-up run each.
    `before(name)` runs untimed before every run. Returns name -> seconds."""
    times = {name: [] for name in commands}
    for round_ in range(runs + 1):
        for name, command in commands.items():
            if before:
                before(name)
            elapsed = run(command)
            if round_ > 0:
                times[name].append(elapsed)
    return times


def run_with_cpu(command):
    """Runs `command` like run(); returns its wall-clock seconds and the
    processor time (user and system) it took, whatever the server's time."""
    import resource
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    elapsed = run(command)
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    return elapsed, after.ru_utime + after.ru_stime - before.ru_utime - before.ru_stime


def cpu_seconds(command, runs):
    """The processor time `command` takes in each of `runs` runs."""
    return [run_with_cpu(command)[1] for _ in range(runs)]


def peak_rss_mib(command):
    """The "Maximum resident set size" /usr/bin/time -v reports, in MiB."""
    result = subprocess.run(["/usr/bin/time", "-v"] + command, stdout=subprocess.DEVNULL,
                            stderr=subprocess.PIPE, text=True)
    if result.returncode != 0:
        sys.exit("bench: %s failed: %s" % (" ".join(command), result.stderr))
    match = re.search(r"Maximum resident set size \(kbytes\): (\d+)", result.stderr)
    return int(match.group(1)) / 1024.0


def median(values):
    return statistics.median(values)


# Every figure of repeated runs is shown with its spread, "median [lowest..
# highest]", so that a reader tells the noise of a shared machine from a
# real change: a new median inside the old spread is no news. Ratios are
# taken round by round, the contenders of one round having shared its load,
# and shown the same way. bench/BenchTiming.h does the same for the drivers.

def spread(values):
    """(lowest, median, highest) of `values`."""
    return min(values), median(values), max(values)


def shown(values, form="%.0f", unit=""):
    """"1649 [1510..1702] MB/s": the median and the spread of `values`."""
    low, middle, high = spread(values)
    text = "%s [%s..%s]" % (form % middle, form % low, form % high)
    return text + " " + unit if unit else text


def ratios(numerators, denominators):
    """numerators[i] / denominators[i]: each round's runs against each other."""
    return [a / b for a, b in zip(numerators, denominators)]


def milliseconds(seconds):
    return [s * 1000 for s in seconds]


def rates(amount, seconds):
    """amount / s for each run's seconds (bytes or files a second)."""
    return [amount / s for s in seconds]


def print_table(header, rows):
    widths = [max(len(str(row[i])) for row in [header] + rows) for i in range(len(header))]
    for row in [header] + rows:
        print("  ".join(str(cell).rjust(width) if i else str(cell).ljust(width)
                        for i, (cell, width) in enumerate(zip(row, widths))))


def record(summary, line):
    """One line for the summary scripts/bench prints at the end."""
    print(line)
    if summary:
        with open(summary, "a") as stream:
            stream.write(line + "\n")


def summary_argument(argv):
    """Removes "--summary FILE" from argv and returns FILE (or None)."""
    if "--summary" in argv:
        index = argv.index("--summary")
        path = argv[index + 1]
        del argv[index:index + 2]
        return path
    return None
