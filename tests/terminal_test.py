#!/usr/bin/env python3
"""hxo_cmdline at a terminal, in pipes and in files, driven through a pseudo-terminal.

Usage: terminal_test.py PROGRAM CASE, CASE being one of the functions named in CASES."""
import atexit, fcntl, json, os, pty, select, shutil, struct, subprocess, sys, tempfile, termios, time

PROGRAM = os.path.abspath(sys.argv[1])
FOLDER = tempfile.mkdtemp(prefix="hxo-terminal-")
atexit.register(shutil.rmtree, FOLDER, True)
LOG = "".join(f"log line {n}\n" for n in range(1, 101))


def write_site():
    site = {"format": 1, "server": "KORAS", "users": {"root": ""}, "agents": [{"ipaddr": "10.1.1.1", "logs": [LOG],
                                     "properties": {"POLL_INTERVAL": "60"}}]}
    with open(os.path.join(FOLDER, "site.json"), "w") as f:
        json.dump(site, f)


def environment():
    env = {k: v for k, v in os.environ.items()
           if k not in ("LINES", "COLUMNS", "ORBITANE_SIM", "ORBITANE_SIM_TRACE")}
    env.update(TERM="xterm", XDG_STATE_HOME=os.path.join(FOLDER, "state"))
    return env


def spawn(args, rows=24, stdin_path=None):
    """Runs the program with a pseudo-terminal as its terminal and standard output."""
    pid, fd = pty.fork()
    if pid == 0:
        os.chdir(FOLDER)
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
    """Editing, recall, completion, a typo, HELP of a subcommand, Ctrl-C during SLEEP, Ctrl-D
    with a pending change, and the history file."""
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
    os.write(fd, b"hq.\t\t")
    seen = read_until(fd, "hq.UNSET", 0.5)
    expect("hq.COMMIT" in seen and "hq.UNSET" in seen, "hq.<Tab><Tab> lists subcommands", seen)
    os.write(fd, b"\x15bogus\r")
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
    os.write(fd, b"AUTH KORAS root\rhq.SET POLL_INTERVAL 7\r")
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
    path = os.path.join(FOLDER, "state", "hxo", "history")
    history = open(path).read()
    expect(os.stat(path).st_mode & 0o777 == 0o600, "history file mode 0600")
    expect("hello" in history and "AUTH" not in history, "history without AUTH", history)


def history_file():
    """Lines that give a password stay out of the history file, whatever their case and length;
    the others are kept."""
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
    history = open(os.path.join(FOLDER, "state", "hxo", "history")).read()
    expect("s3cret" not in history and "kept" in history, "no password in the history",
           history)


CASES = {f.__name__: f for f in (piped_script, redirected_output, session, history_file)}
CASES[sys.argv[2]]()
