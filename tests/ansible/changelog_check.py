#!/usr/bin/python3
"""changelog_check.py COLLECTION: what antsibull-changelog (not packaged for Debian) would hold the
collection to: fragments and releases in its sections, and a version of the collection's own that
moves when the collection changes. One line per fault; fails when there is any."""
import pathlib
import re
import subprocess
import sys

import yaml

root = pathlib.Path(sys.argv[1])
faults = []
config = yaml.safe_load((root / "changelogs/config.yaml").read_text())
summary = config["prelude_section_name"]
sections = {name for name, _ in config["sections"]} | {summary, config["trivial_section_name"]}


def check(where, changes):
    for section, notes in (changes or {}).items():
        if section not in sections or not all(isinstance(note, str) and note.strip() for note in
                                              ([notes] if section == summary else notes if isinstance(notes, list) else [None])):
            faults.append("%s: %s is no section, or holds no %s" % (where, section, "text" if section == summary else "list of texts"))


fragments = [path for path in (root / "changelogs/fragments").iterdir() if path.name != ".keep"]
for path in fragments:
    check(path.name, yaml.safe_load(path.read_text()) if path.suffix in (".yml", ".yaml") else {"(not YAML)": None})
releases = yaml.safe_load((root / "changelogs/changelog.yaml").read_text())["releases"]
for version, release in releases.items():
    check("changelog.yaml " + version, release.get("changes"))
    if not re.fullmatch(r"\d+\.\d+\.\d+", version) or not re.fullmatch(r"\d{4}-\d\d-\d\d", release.get("release_date", "")):
        faults.append("changelog.yaml: %s needs a version X.Y.Z and a release_date YYYY-MM-DD" % version)
number = lambda version: tuple(int(field) for field in version.split("."))
last, version = max(releases, key=number), yaml.safe_load((root / "galaxy.yml").read_text())["version"]
if number(version) <= number(last) if fragments else version != last:
    faults.append("galaxy.yml: version %s; the last release is %s%s" % (version, last, ", and fragments wait" if fragments else ""))
# No commit changed what the collection ships after its changelog last changed (outside git, none).
git = lambda *arguments: subprocess.run(("git", "-C", str(root)) + arguments, capture_output=True, text=True, check=False).stdout.split()
noted = git("log", "-1", "--format=%H", "--", "changelogs")
unnoted = noted and git("log", "--format=%h", noted[0] + "..HEAD", "--", "plugins", "meta", "README.md")
if unnoted:
    faults.append("commits %s change the collection after its changelog: add a fragment to changelogs/fragments/" % " ".join(unnoted))
print("\n".join(faults) or "changelog and version %s in order" % version)
sys.exit(1 if faults else 0)
