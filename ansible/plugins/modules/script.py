#!/usr/bin/python
# -*- coding: utf-8 -*-
# Runs a configuration script on the installation of the host it targets through hxo_cmdline:
# a dry run that saves its plan, then, when the plan changes anything, --apply of that plan.

from __future__ import absolute_import, division, print_function

__metaclass__ = type

DOCUMENTATION = r"""
---
module: script
short_description: Run an hxo_cmdline script on an installation, planned first
description:
  - Runs a configuration script against the installation of the targeted host through the
    installed C(hxo_cmdline).
  - The script is always rehearsed first with a dry run whose plan is saved as JSON. When the
    plan holds no change of state (no entry added or removed, no property, rule value or
    password changed), nothing is run and the task reports no change, so running a playbook a
    second time changes nothing and sends no command.
  - Otherwise the saved plan is applied with C(--apply), so that what runs is what was planned a
    moment before; when the installation changed in between, nothing is run and the task fails
    with the program's lines naming each difference.
  - The script's CONTINUE setting works as in any run; a script that ends with a non-zero result
    code fails the task with the program's messages.
version_added: 1.0.0
author: hxo developers
options:
  content:
    description:
      - The text of the script. It is written to a temporary file, which runs from the
        directory given by C(chdir).
      - Exactly one of C(content) and C(path) is required.
    type: str
  path:
    description:
      - A script file on the targeted host.
      - Exactly one of C(content) and C(path) is required.
    type: path
  sim:
    description:
      - The installation file to run against (C(--sim)).
      - When not given, the installation the program opens by default (C(ORBITANE_SIM) in the
        environment, or the built-in one).
    type: path
  chdir:
    description:
      - The directory the script runs in; INCLUDE names and EXEC commands are relative to it.
      - Defaults to the directory of C(path), or to a private temporary directory for
        C(content).
    type: path
  force:
    description:
      - Apply the plan also when it holds only commands to send (for example the reload of a
        COMMIT whose values equal the stored ones, which is not a change of state).
      - The task then reports a change whenever the plan holds anything at all.
    type: bool
    default: false
  executable:
    description:
      - The program to run, a name looked up in C(PATH) or a path.
    type: str
    default: hxo_cmdline
attributes:
  check_mode:
    support: full
    description: A dry run with its plan; nothing is written.
  diff_mode:
    support: full
    description: The plan as text, under C(prepared).
notes:
  - The dry run and the apply each load the installation; a dry run needs the simulated
    installation (a snapshot of a live one, see C(--snapshot)).
  - C(changed) in check mode says whether the plan holds a change of state, or anything at all
    with C(force).
  - A script that ends with QUIT, EXIT, BYE or ABORT ALL has result code 6, so it fails the task
    like any other non-zero code; let such a script simply end instead.
"""

EXAMPLES = r"""
- name: Raise the poll interval on every installation
  hxo.site.script:
    sim: /srv/hxo/site.json
    content: |
      AGENT hq 127.0.0.1
      hq.SET POLL_INTERVAL 90
      ALL.COMMIT

- name: Run a script file kept on the host, and send its commands even when nothing changes
  hxo.site.script:
    path: /srv/hxo/reload.hxo
    force: true
  register: reload

- name: Show what the script listed
  ansible.builtin.debug:
    var: reload.listings
"""

RETURN = r"""
rc:
  description: The exit status of the last run of C(hxo_cmdline) (the dry run, or the apply).
  returned: always
  type: int
  sample: 0
plan:
  description:
    - The plan of the dry run, the JSON document that C(--plan FILE.json) writes.
    - Its C(changes) list each change with C(op) (C(add), C(remove), C(set), C(rule),
      C(password), C(command)) and C(path); C(complete) says whether the script went to its
      end; C(made_from) records what the plan was made from.
  returned: when the dry run wrote a plan
  type: dict
  sample: {"format": 1, "complete": true,
           "changes": [{"op": "set", "path": ["Agent 127.0.0.1:5465"],
                        "name": "POLL_INTERVAL", "old": "60", "new": "90"}]}
applied:
  description: Whether the plan was applied (the script run for real).
  returned: always
  type: bool
  sample: true
listings:
  description:
    - The listings the script produced in its last run, each a document of C(--output=json)
      (C(listing), C(object), C(rows), ...).
  returned: always
  type: list
  elements: dict
  sample: [{"type": "listing", "listing": "properties", "object": "hq",
            "rows": [{"name": "POLL_INTERVAL", "value": "90", "changed": true}]}]
stdout_lines:
  description: Standard output of the last run, one JSON Lines document a line.
  returned: always
  type: list
  elements: str
stderr_lines:
  description: Standard error of the last run, one line an item.
  returned: always
  type: list
  elements: str
"""

import json
import os
import shutil
import tempfile

from ansible.module_utils.basic import AnsibleModule

# Commands sent to a node change no stored state: a COMMIT of values equal to the stored ones
# still sends its reload.
STATE_OPS = frozenset(("add", "remove", "set", "rule", "password"))


def plan_changes_state(plan):
    return any(change.get("op") in STATE_OPS for change in plan.get("changes", []))


def json_document(line):
    """The JSON Lines document on the line, or None for a line that is not one (plain text)."""
    try:
        document = json.loads(line)
    except ValueError:
        return None
    return document if isinstance(document, dict) else None


def program_messages(stderr):
    """The lines of standard error as the text mode prints them: SCRIPT:LINE: MESSAGE."""
    messages = []
    for line in stderr.splitlines():
        document = json_document(line)
        if document is None:
            messages.append(line)
        elif document.get("type") == "error":
            place = [str(part) for part in (document.get("script"), document.get("line"))
                     if part is not None]
            messages.append(":".join(place + [" " + document.get("message", "")])
                            if place else document.get("message", ""))
        else:
            messages.append(document.get("text", document.get("message", line)))
    return messages


def fail_with_messages(module, stderr, result):
    module.fail_json(msg="\n".join(program_messages(stderr)) or
                     "hxo_cmdline ended with status %d" % result["rc"], **result)


class Runner(object):
    def __init__(self, module, workdir):
        self.module = module
        self.workdir = workdir
        self.program = self._find_program(module.params["executable"])
        self.sim = module.params["sim"]

    def _find_program(self, executable):
        if os.path.sep in executable:
            return executable
        return self.module.get_bin_path(executable, required=True)

    def run(self, arguments, cwd):
        command = [self.program] + (["--sim", self.sim] if self.sim else []) + arguments
        return self.module.run_command(command, cwd=cwd)

    def text_plan(self, script, cwd):
        plan_file = os.path.join(self.workdir, "plan.txt")
        self.run(["--plan", plan_file, "--", script], cwd)
        try:
            with open(plan_file) as text:
                return text.read()
        except (IOError, OSError):
            return None


def result_of(rc, stdout, stderr):
    documents = (json_document(line) for line in stdout.splitlines())
    return dict(rc=rc, listings=[d for d in documents if d and d.get("type") == "listing"],
                stdout_lines=stdout.splitlines(), stderr_lines=stderr.splitlines())


def run_module(module, workdir):
    params = module.params
    if params["content"] is not None:
        script = os.path.join(workdir, "script.hxo")
        with open(script, "w") as text:
            text.write(params["content"])
        cwd = params["chdir"] or workdir
    else:
        script = os.path.abspath(params["path"])
        cwd = params["chdir"] or os.path.dirname(script)
    if params["sim"]:
        params["sim"] = os.path.abspath(params["sim"])

    runner = Runner(module, workdir)
    plan_file = os.path.join(workdir, "plan.json")
    rc, stdout, stderr = runner.run(["--output=json", "--plan", plan_file, "--", script], cwd)
    result = result_of(rc, stdout, stderr)
    result.update(changed=False, applied=False)
    plan = None
    if os.path.exists(plan_file):
        with open(plan_file) as text:
            plan = json.load(text)
        result["plan"] = plan
    if rc != 0 or plan is None:
        fail_with_messages(module, stderr, result)

    if params["force"]:
        change = bool(plan.get("changes"))
    else:
        change = plan_changes_state(plan)
    if module._diff:
        prepared = runner.text_plan(script, cwd)
        if prepared is not None:
            result["diff"] = dict(prepared=prepared)
    if module.check_mode or not change:
        result["changed"] = change and module.check_mode
        module.exit_json(**result)

    rc, stdout, stderr = runner.run(["--output=json", "--apply", plan_file], cwd)
    applied = result_of(rc, stdout, stderr)
    result.update(applied, changed=True, applied=True)
    if rc != 0:
        fail_with_messages(module, stderr, result)
    module.exit_json(**result)


def main():
    module = AnsibleModule(
        argument_spec=dict(
            content=dict(type="str"),
            path=dict(type="path"),
            sim=dict(type="path"),
            chdir=dict(type="path"),
            force=dict(type="bool", default=False),
            executable=dict(type="str", default="hxo_cmdline"),
        ),
        mutually_exclusive=[("content", "path")],
        required_one_of=[("content", "path")],
        supports_check_mode=True,
    )
    workdir = tempfile.mkdtemp(prefix="hxo-site-")
    try:
        run_module(module, workdir)
    finally:
        shutil.rmtree(workdir, ignore_errors=True)


if __name__ == "__main__":
    main()
