#!/usr/bin/env python3
"""hxo_cmdline at a terminal, in pipes and in files, driven through a pseudo-terminal.

Usage: terminal_test.py PROGRAM CASE, CASE being one of the functions named in CASES."""
import atexit, fcntl, json, os, pty, select, shutil, stat, struct, subprocess, sys, tempfile, termios, time

PROGRAM = os.path.abspath(sys.argv[1])
FOLDER = tempfile.mkdtemp(prefix="hxo-terminal-")
atexit.register(shutil.rmtree, FOLDER, True)
LOG = "".join(f"log line {n}\n" for n in range(1, 101))


def write_site():
    site = {"format": 1, "server": "KORAS", "users": {"root": ""}, "agents": [{"ipaddr": "10.1.1.1", "logs": [LOG],
                                     "properties": {"POLL_INTERVAL": "60"}}]}
    with open(os.path.join(FOLDER, "site.json"), "w") as f:
        json.dump(site, f)


STATE = os.path.join(FOLDER, "state")


def environment():
    env = {k: v for k, v in os.environ.items()
           if k not in ("LINES", "COLUMNS", "ORBITANE_SIM", "ORBITANE_SIM_TRACE")}
    env.update(TERM="xterm", XDG_STATE_HOME=STATE)
    return env


def spawn(args, rows=24, stdin_path=None):
    """Runs the program with a pseudo-terminal as its terminal and standard output."""
    pid, fd = pty.fork()
    if pid == 0:
        os.chdir(FOLDER)
        # The size is set before the program starts, so that its first look at it sees it.
        fcntl.ioctl(1, termios.TIOCSWINSZ, struct.pack("HHHH", rows, 80, 0, 0))
        if stdin_path:
            os.dup2(os.open(stdin_path, os.O_RDONLY), 0)
        os.execve(PROGRAM, [PROGRAM] + args, environment())
    fcntl.ioctl(fd, termios.TIOCSWINSZ, struct.pack("HHHH", rows, 80, 0, 0))
    return pid, fd


def read_until(fd, text, timeout=2.0):
    data, end = b"", time.time() + timeout
    while time.time() < end and text.encode() not in data.replace(b"\r\n", b"\n"):
        if select.select([fd], [], [], 0.02)[0]:
            try:
                chunk = os.read(fd, 4096)
            except OSError:
                break
            if not chunk:
                break
            data += chunk
    return data.decode(errors="replace").replace("\r\n", "\n")


def finish(pid, timeout=3.0):
    """The program's wait status; it is killed and the test fails when it does not end."""
    end = time.time() + timeout
    while time.time() < end:
        done, status = os.waitpid(pid, os.WNOHANG)
        if done:
            return status
        time.sleep(0.01)
    os.kill(pid, 9)
    os.waitpid(pid, 0)
    sys.exit("FAILED: the program did not end")


def expect(condition, what, seen=""):
    if not condition:
        sys.exit(f"FAILED: {what}\n--- seen ---\n{seen}")


def piped_script():
    """A script on standard input: --more-- is answered at the terminal, every line arrives,
    a page of a 10-row terminal is 9 lines, and the change after the listing is committed."""
    write_site()
    script = os.path.join(FOLDER, "change.hxo")
    with open(script, "w") as f:
        f.write("AGENT a 10.1.1.1\na.LOG\na.SET POLL_INTERVAL 99\na.COMMIT\nPRINT done\n")
    pid, fd = spawn(["--sim", "site.json"], rows=10, stdin_path=script)
    seen = ""
    for _ in range(12):
        seen += read_until(fd, "--more--")
        if "--more--" not in seen.rsplit("\n", 1)[-1]:
            break
        os.write(fd, b"\n")
    seen += read_until(fd, "done")
    status = finish(pid)
    lines = [line for line in seen.split("\n") if line.startswith("log line")]
    expect(lines == [f"log line {n}" for n in range(1, 101)], "all 100 lines in order", seen)
    expect(seen.split("--more--")[1].count("log line") == 9, "pages of 9 lines", seen)
    expect(os.WEXITSTATUS(status) == 0, "exit 0", seen)
    expect('"99"' in open(os.path.join(FOLDER, "site.json")).read(), "change committed")


def redirected_output():
    """Output to a file, no terminal at all: no paging, no prompt text, nothing waits."""
    write_site()
    with open(os.path.join(FOLDER, "log.hxo"), "w") as f:
        f.write("AGENT a 10.1.1.1\na.LOG\nPAUSE\nPRINT done\n")
    with open(os.path.join(FOLDER, "out.txt"), "w") as out:
        subprocess.run([PROGRAM, "--sim", "site.json", "log.hxo"], cwd=FOLDER, env=environment(),
                       stdin=subprocess.DEVNULL, stdout=out, timeout=5, start_new_session=True)
    text = open(os.path.join(FOLDER, "out.txt")).read()
    expect(text == LOG + "done\n", "the log and done, nothing else", text)


def session():
    """Editing, recall, completion of a command, a typo, HELP of a subcommand, Ctrl-C during
    SLEEP, and Ctrl-D with a pending change."""
    pid, fd = spawn([])
    read_until(fd, "> ")
    os.write(fd, b"PRINT helo\x1b[Dl\r")
    expect("\nhello\n" in read_until(fd, "\n> "), "Left and insert edit the line")
    os.write(fd, b"\x1b[A")
    expect("PRINT hello" in read_until(fd, "PRINT hello", 0.5), "Up recalls the previous line")
    os.write(fd, b"\x15PRI\t")
    expect("NT " in read_until(fd, "NT ", 0.5), "PRI<Tab> completes to PRINT")
    os.write(fd, b"\x15AGENT hq 127.0.0.1\r")
    read_until(fd, "\n> ")
    os.write(fd, b"bogus\r")
    seen = read_until(fd, "\n> ")
    expect("Unknown command: bogus." in seen and seen.endswith("> "), "a typo goes on", seen)
    os.write(fd, b"HELP QPK\r")
    expect("SYNTAX: obj.QPK" in read_until(fd, "\n> "), "HELP takes a bare subcommand name")
    os.write(fd, b"SLEEP 30\r")
    read_until(fd, "SLEEP 30\n", 0.5)
    time.sleep(0.05)
    started = time.time()
    os.write(fd, b"\x03")
    seen = read_until(fd, "\n> ", 1)
    expect("Interrupted." in seen and time.time() - started < 0.2, "Ctrl-C ends SLEEP", seen)
    os.write(fd, b"hq.SET POLL_INTERVAL 7\r")
    read_until(fd, "7\n> ")
    # Control keys wait until the editor has the terminal, as a person's always do: typed while
    # the terminal is still in line mode, Ctrl-D would be taken by the terminal itself.
    time.sleep(0.05)
    os.write(fd, b"\x04")
    seen = read_until(fd, "again\n> ")
    expect("1 object has uncommitted changes: hq." in seen, "Ctrl-D names the pending change",
           seen)
    time.sleep(0.05)
    os.write(fd, b"\x04")
    expect(os.WIFEXITED(finish(pid)), "the second Ctrl-D leaves")


def history_file():
    """Lines that give a password stay out of the history file, whatever their case and length;
    the others are kept, in a file only its owner can read."""
    secret_lines = ["AGENT hq 127.0.0.1 5465 s3cret1", "hq.add -f b1 10.1.1.2 5465 s3cret2",
                    "hq.Spawn b2 10.1.1.3 5465 s3cret3", "n" * 300 + ".PASSWORD s3cret4",
                    "auth KORAS root s3cret5"]
    pid, fd = spawn([])
    read_until(fd, "> ")
    for line in secret_lines + ["PRINT kept"]:
        os.write(fd, line.encode() + b"\r")
        read_until(fd, "\n> ")
    time.sleep(0.05)
    os.write(fd, b"\x04")
    expect(os.WIFEXITED(finish(pid)), "Ctrl-D leaves")
    path = os.path.join(FOLDER, "state", "hxo", "history")
    history = open(path).read()
    expect("s3cret" not in history and "kept" in history, "no password in the history", history)
    expect(os.stat(path).st_mode & 0o777 == 0o600, "history file mode 0600")


def typed(fd, keys, until, timeout=0.5):
    """Types keys once the editor has the terminal, and gives what the screen shows until text."""
    time.sleep(0.05)
    os.write(fd, keys)
    return read_until(fd, until, timeout)


def completion():
    """Tab: an object name ends in its separator with no blank after it; a unique completion is
    quiet, an ambiguous or empty one rings; subcommands are those of the object's kind."""
    pid, fd = spawn([])
    read_until(fd, "> ")
    for line in (b"AGENT hq 127.0.0.1", b"hq.SPAWN core BROKER", b"core.SPAWN d dsm1",
                 b"d.SPAWN r1 10.2.0.1"):
        typed(fd, line + b"\r", "\n> ")
    seen = typed(fd, b"co\t", "core.")
    expect("core." in seen and "\a" not in seen, "co<Tab> gives core. without the bell", seen)
    seen = typed(fd, b"LI\t", "LIST ")
    expect("core.LIST " in seen and "\a" not in seen, "then LI<Tab> gives LIST", seen)
    seen = typed(fd, b"\r", "\n> ")
    expect('DSM List for "core"' in seen and "Unknown" not in seen, "core.LIST runs", seen)
    seen = typed(fd, b"TAR\t", "TARGET.")
    expect("TARGET." in seen and "TARGET. " not in seen, "TAR<Tab> gives TARGET.", seen)
    seen = typed(fd, b"\x15xyz\t", "\a")
    expect("\a" in seen, "an empty completion rings", seen)
    seen = typed(fd, b"\x15r1.\t", "\a")
    expect("\a" in seen, "an ambiguous completion rings", seen)
    # The list ends with the last alias, then the line is drawn again under it.
    seen = typed(fd, b"\t", "r1.EXEC")
    seen += read_until(fd, "> r1.", 0.5)
    expect(seen.endswith("> r1."), "the line drawn again under the list", seen)
    offered = {word for word in seen.split() if word.startswith("r1.")}
    expect({"r1.SET", "r1.COMMIT", "r1.QPK", "r1.RUN"} <= offered, "a target's subcommands", seen)
    expect(not offered & {"r1.LOG", "r1.ADD", "r1.SPAWN", "r1.LIST"}, "none it refuses", seen)
    seen = typed(fd, b"\x15ALL.\t\t", "\n> ")
    expect("ALL.COMMIT" in seen and "ALL.LIST" not in seen and "ALL.PASSWORD" not in seen,
           "a reserved name offers what a selection takes", seen)
    os.kill(pid, 9)
    os.waitpid(pid, 0)


def pager_keys():
    """At the terminal --more-- takes one key without Enter, and what else was typed is dropped;
    HELP's screen is paged too."""
    write_site()
    pid, fd = spawn(["--sim", "site.json"], rows=10)
    read_until(fd, "> ")
    typed(fd, b"AGENT a 10.1.1.1\r", "\n> ")
    typed(fd, b"a.LOG\r", "--more--")
    seen = typed(fd, b" ", "--more--")
    expect("log line 18\n" in seen, "Space alone goes on", seen)
    typed(fd, b"\r", "--more--")
    seen = typed(fd, b"b", "--more--")
    expect("log line 10\n" in seen and "log line 19" not in seen, "b alone goes back", seen)
    seen = typed(fd, b"qPRINT lost\r", "\n> ")
    expect(seen.endswith("> "), "q alone stops the listing", seen)
    seen = typed(fd, b"PRINT kept\r", "kept\n> ")
    expect("lost" not in seen and "kept" in seen, "what was typed after q is dropped", seen)
    seen = typed(fd, b"HELP\r", "--more--")
    expect("--more--" in seen, "HELP is paged in a 10-row window", seen)
    seen = typed(fd, b"q", "\n> ")
    expect(seen.endswith("> "), "q ends HELP's screen", seen)
    os.kill(pid, 9)
    os.waitpid(pid, 0)


def leaving():
    """The session names its installation at the start; QUIT with uncommitted changes warns once,
    a second QUIT leaves; without changes QUIT leaves at once."""
    pid, fd = spawn([])
    seen = read_until(fd, "> ")
    expect(seen.startswith("Using the built-in installation: changes are lost at exit. HELP "),
           "the first line names the installation", seen)
    typed(fd, b"AGENT hq 127.0.0.1\r", "\n> ")
    typed(fd, b"hq.SET POLL_INTERVAL 7\r", "7\n> ")
    seen = typed(fd, b"quit\r", "again to leave without committing.\n> ")
    expect("1 object has uncommitted changes: hq. Type quit again" in seen, "QUIT warns", seen)
    typed(fd, b"QUIT\r", "\n")
    expect(os.WIFEXITED(finish(pid)), "the second QUIT leaves")
    pid, fd = spawn([])
    read_until(fd, "> ")
    typed(fd, b"BYE\r", "\n")
    expect(os.WIFEXITED(finish(pid, 1.0)), "BYE without changes leaves at once")


def unusable_history_file():
    """A FIFO, a link to a device or a file over the bound as the history file, and a state
    folder that cannot be made: the session starts at once, says once that the history is not
    kept, ends when asked, and leaves what stands there as it was."""
    global STATE
    path = os.path.join(FOLDER, "state", "hxo", "history")
    os.makedirs(os.path.dirname(path))
    blocker = os.path.join(FOLDER, "a-file")
    open(blocker, "w").close()
    cases = ((lambda: os.mkfifo(path), "not a regular file",
              lambda: stat.S_ISFIFO(os.lstat(path).st_mode)),
             (lambda: os.symlink("/dev/zero", path), "not a regular file",
              lambda: os.readlink(path) == "/dev/zero"),
             (lambda: open(path, "w").truncate(17 << 20),
              "larger than 16 MiB", lambda: os.path.getsize(path) == 17 << 20),
             (lambda: None, "Not a directory", lambda: not os.path.lexists(path)))
    for plant, reason, left_alone in cases:
        if os.path.lexists(path):
            os.unlink(path)
        plant()
        if reason == "Not a directory":
            STATE = os.path.join(blocker, "state")
        pid, fd = spawn([])
        seen = read_until(fd, "> ", 1)
        expect(seen.count("the history is not kept") == 1 and reason in seen and
               seen.endswith("> "), "the first prompt, after one line about the history", seen)
        os.write(fd, b"PRINT hi\r")
        read_until(fd, "\n> ", 1)
        time.sleep(0.05)
        os.write(fd, b"\x04")
        seen = read_until(fd, "\n", 1)
        expect(os.WIFEXITED(finish(pid, 1)), "Ctrl-D leaves at once")
        expect("history" not in seen, "nothing more is said about the history", seen)
        expect(left_alone(), "what stood there is left alone: " + reason)


CASES = {f.__name__: f for f in (piped_script, redirected_output, session, history_file,
                                 completion, pager_keys, leaving, unusable_history_file)}
CASES[sys.argv[2]]()
