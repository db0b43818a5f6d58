#!/usr/bin/env python3
"""usage: ansible_test.py HXO_CMDLINE SOURCE_DIR (exit status 77, skipped, without ansible).
The collection over 20 copies of examples/site.json, connection local, forks 5."""

import json
import os
import pathlib
import shutil
import subprocess
import sys
import tempfile
import time

HOSTS = ["site%02d" % n for n in range(1, 21)]
DRIFTING, FAILING = "site07", "site13"

PLAYBOOK = """
- hosts: installations
  gather_facts: false
  tasks:
    - name: Set the poll interval of hq
      hxo.site.script:
        executable: "{{ hxo_program }}"
        sim: "{{ site }}"
        content: |
          AGENT hq 127.0.0.1
          hq.SET POLL_INTERVAL {{ poll }}
          hq.SET POLL_INTERVAL
          ALL.COMMIT
"""

# Changes the drifting site after its dry run, before --apply loads it.
DRIFT_HOOK = """#!/bin/sh
case "$*" in
  *"--sim %s --output=json --apply "*)
    sed -i '0,/"POLL_INTERVAL": "60"/s//"POLL_INTERVAL": "61"/' "%s" ;;
esac
exec "%s" "$@"
"""

failures = []


def check(condition, what):
    if not condition:
        failures.append(what)


class Fleet:
    def __init__(self, program, source, root):
        self.program = os.path.abspath(program)
        self.source = source
        self.root = root
        self.sites = os.path.join(root, "sites")
        collections = os.path.join(root, "collections", "ansible_collections", "hxo")
        os.makedirs(collections)
        os.symlink(os.path.join(source, "ansible"), os.path.join(collections, "site"))
        open(os.path.join(root, "ansible.cfg"), "w").close()
        self.env = {k: v for k, v in os.environ.items()
                    if not k.startswith(("ANSIBLE_", "ORBITANE_"))}
        self.env.update(
            ANSIBLE_CONFIG=os.path.join(root, "ansible.cfg"),
            ANSIBLE_HOME=os.path.join(root, "home"),
            ANSIBLE_LOCAL_TEMP=os.path.join(root, "tmp"),
            ANSIBLE_REMOTE_TEMP=os.path.join(root, "remote_tmp"),
            ANSIBLE_COLLECTIONS_PATH=os.path.join(root, "collections"),
            ANSIBLE_NOCOLOR="1", ANSIBLE_FORCE_COLOR="0", ANSIBLE_RETRY_FILES_ENABLED="0",
            ANSIBLE_FORKS="5", ANSIBLE_STDOUT_CALLBACK="json", ANSIBLE_GATHERING="explicit",
            ANSIBLE_PIPELINING="1", ANSIBLE_PYTHON_INTERPRETER=sys.executable,
            ANSIBLE_GALAXY_SERVER="http://127.0.0.1:9/", ANSIBLE_GALAXY_DISABLE_GPG_VERIFY="1",
            LINES="")
        with open(os.path.join(root, "play.yml"), "w") as play:
            play.write(PLAYBOOK)

    def fresh_sites(self):
        shutil.rmtree(self.sites, ignore_errors=True)
        os.makedirs(self.sites)
        for host in HOSTS:
            shutil.copyfile(os.path.join(self.source, "examples", "site.json"), self.site(host))

    def site(self, host):
        return os.path.join(self.sites, host + ".json")

    def contents(self):
        return {host: open(self.site(host), "rb").read() for host in HOSTS}

    def play(self, *options, program=None):
        inventory = os.path.join(self.root, "inventory.ini")
        with open(inventory, "w") as out:
            out.write("[installations]\n")
            for n, host in enumerate(HOSTS, 1):
                out.write("%s ansible_connection=local site=%s poll=%d\n"
                          % (host, self.site(host), 100 + n))
            out.write("[installations:vars]\nhxo_program=%s\n" % (program or self.program))
        started = time.monotonic()
        run = subprocess.run(["ansible-playbook", "-i", inventory, "play.yml"] + list(options),
                             cwd=self.root, env=self.env, capture_output=True, text=True,
                             timeout=120)
        print("ansible-playbook %s: %.1f s" % (" ".join(options), time.monotonic() - started))
        try:
            report = json.loads(run.stdout)
        except ValueError:
            sys.exit("ansible-playbook printed no JSON report:\n%s\n%s" % (run.stdout, run.stderr))
        results = report["plays"][0]["tasks"][0]["hosts"]
        return results, report["stats"], run

    def ansible(self, *command):
        return subprocess.run(list(command), cwd=self.root, env=self.env, capture_output=True,
                              text=True, timeout=60)


def poll_interval(site_file):
    with open(site_file) as text:
        return json.load(text)["agents"][0]["properties"]["POLL_INTERVAL"]


def test_documentation_and_build(fleet):
    doc = fleet.ansible("ansible-doc", "hxo.site.script")
    check(doc.returncode == 0 and "hxo_cmdline" in doc.stdout, "ansible-doc failed: " + doc.stderr)
    check(doc.stderr.strip() == "", "ansible-doc warned: " + doc.stderr)
    build = fleet.ansible("ansible-galaxy", "collection", "build", "--output-path", fleet.root,
                          os.path.join(fleet.source, "ansible"))
    archive = os.path.join(fleet.root, "hxo-site-1.0.0.tar.gz")
    check(build.returncode == 0 and os.path.exists(archive),
          "collection build failed: " + build.stdout + build.stderr)
    check("WARNING" not in build.stderr, "collection build warned: " + build.stderr)


def test_check_real_and_again(fleet):
    fleet.fresh_sites()
    before = fleet.contents()
    results, stats, run = fleet.play("--check", "--diff")
    check(run.returncode == 0, "check run failed: " + run.stderr)
    check(fleet.contents() == before, "the check run changed a site file")
    plans = {}
    for n, host in enumerate(HOSTS, 1):
        result = results[host]
        check(result.get("changed") is True, host + ": check run reports no change")
        check(result.get("applied") is False, host + ": check run applied its plan")
        prepared = result.get("diff", {}).get("prepared", "")
        check('~ POLL_INTERVAL: "60" -> "%d"' % (100 + n) in prepared,
              host + ": diff is not the text plan: " + repr(prepared))
        plans[host] = result.get("plan", {}).get("changes")

    results, stats, run = fleet.play()
    check(run.returncode == 0, "real run failed: " + run.stderr)
    for n, host in enumerate(HOSTS, 1):
        result = results[host]
        check(result.get("changed") is True and result.get("applied") is True,
              host + ": real run did not apply")
        check(result.get("plan", {}).get("changes") == plans[host],
              host + ": real run planned otherwise than the check run")
        check(poll_interval(fleet.site(host)) == str(100 + n), host + ": site not changed")
        rows = [row for listing in result.get("listings", []) for row in listing.get("rows", [])]
        check(rows == [{"name": "POLL_INTERVAL", "value": str(100 + n), "changed": True}],
              host + ": listings of the apply: %r" % rows)
        check(result.get("rc") == 0, host + ": rc %r" % result.get("rc"))

    after = fleet.contents()
    results, stats, run = fleet.play()
    check(run.returncode == 0, "second run failed: " + run.stderr)
    for host in HOSTS:
        check(stats[host]["changed"] == 0, host + ": second run reports a change")
        check(results[host].get("applied") is False, host + ": second run sent its commands")
    check(fleet.contents() == after, "the second run changed a site file")


def test_faults_fail_their_host_only(fleet):
    fleet.fresh_sites()
    failing = fleet.site(FAILING)
    text = pathlib.Path(failing).read_text()  # its agent hq is not there: AGENT fails
    pathlib.Path(failing).write_text(text.replace('"127.0.0.1"', '"127.0.0.9"', 1))
    hook = os.path.join(fleet.root, "drift_hook.sh")
    drifting = fleet.site(DRIFTING)
    with open(hook, "w") as out:
        out.write(DRIFT_HOOK % (drifting, drifting, fleet.program))
    os.chmod(hook, 0o755)

    results, stats, run = fleet.play(program=hook)
    check(run.returncode == 2, "fault run ended with %d" % run.returncode)
    for n, host in enumerate(HOSTS, 1):
        failed = stats[host]["failures"] > 0
        check(failed == (host in (DRIFTING, FAILING)), host + ": failed is %s" % failed)
        if host not in (DRIFTING, FAILING):
            check(poll_interval(fleet.site(host)) == str(100 + n), host + ": not applied")
    drift = results[DRIFTING].get("msg", "")
    check("no longer holds" in drift and '~ hq: POLL_INTERVAL "60" -> "61" since the plan' in drift,
          "drift not named: " + drift)
    check(results[DRIFTING].get("rc") == 75, "drift rc %r" % results[DRIFTING].get("rc"))
    check(poll_interval(drifting) == "61", "the drifting site was written")
    stop = results[FAILING]
    check(stop.get("rc", 0) != 0 and "script.hxo:1:" in stop.get("msg", "")
          and stop.get("applied") is False, "failing script: %r" % stop.get("msg"))


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    if shutil.which("ansible-playbook") is None:
        print("skipped: ansible-playbook is not installed (scripts/setup.sh installs ansible-core)")
        return 77
    with tempfile.TemporaryDirectory(prefix="hxo-ansible-") as root:
        fleet = Fleet(sys.argv[1], os.path.abspath(sys.argv[2]), root)
        test_documentation_and_build(fleet)
        test_check_real_and_again(fleet)
        test_faults_fail_their_host_only(fleet)
    for failure in failures:
        print("FAIL:", failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
