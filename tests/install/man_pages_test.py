#!/usr/bin/env python3
"""The manual pages against the programs: every long option a program's
--help lists is described in its page's OPTIONS section and the page
describes no other, and every page renders without a warning from groff.
Run with the build folder and the folder of the pages."""
import os
import re
import shutil
import subprocess
import sys
import tempfile

PROGRAMS = {
    "corvaned": "tools/corvaned/corvaned",
    "corvane-link": "tools/link/corvane-link",
    "corvane-cardserver": "tools/cardserver/corvane-cardserver",
    "corvane-search": "tools/corvane-search",
    "corvane-decode": "tools/corvane-decode",
    "corvane-store": "tools/store/corvane-store",
}
PAGES = ["corvane.1", "corvaned.1", "corvane-link.1", "corvane-cardserver.1", "corvane-search.1",
         "corvane-decode.1", "corvane-store.1", "corvaned.conf.5"]


def options_of_help(program, config_home):
    env = dict(os.environ, XDG_CONFIG_HOME=config_home, QT_QPA_PLATFORM="offscreen")
    said = subprocess.run([program, "--help"], capture_output=True, text=True, env=env, timeout=30)
    return set(re.findall(r"^\s+(?:-\w, )?(--[a-z][a-z-]*)", said.stdout, re.M))


def options_of_page(path):
    roff = open(path, encoding="utf-8").read()
    section = re.search(r"^\.SH OPTIONS\n(.*?)^\.SH ", roff, re.M | re.S)
    if section is None:
        return set()
    # The tag line after each .TP names the option.
    tags = re.findall(r"^\.TP\n\.B[IR]? (.*)$", section.group(1), re.M)
    return {m.replace("\\-", "-") for tag in tags for m in re.findall(r"(\\-\\-[a-z][a-z\\-]*)", tag)}


def main():
    build, pages = sys.argv[1], sys.argv[2]
    faults = []
    with tempfile.TemporaryDirectory() as config_home:
        for name, relative in PROGRAMS.items():
            listed = options_of_help(os.path.join(build, relative), config_home)
            described = options_of_page(os.path.join(pages, name + ".1"))
            if not listed:
                faults.append(f"{name} --help lists no options")
            for option in sorted(listed - described):
                faults.append(f"{name}.1 does not describe {option}")
            for option in sorted(described - listed):
                faults.append(f"{name}.1 describes {option}, which {name} --help does not list")
    groff = shutil.which("groff")
    for page in PAGES:
        path = os.path.join(pages, page)
        if groff:
            said = subprocess.run([groff, "-man", "-t", "-ww", "-z", path], capture_output=True, text=True)
            if said.returncode != 0 or said.stderr:
                faults.append(f"{page}: groff says {said.stderr.strip()}")
    for fault in faults:
        print(fault)
    print(f"{len(PROGRAMS)} programs and {len(PAGES)} pages checked, {len(faults)} faults")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
