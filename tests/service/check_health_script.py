"""Checks the PowerShell health check against the JSON status without
PowerShell, which this machine does not have: the script's brackets and
quotes balance, every member it reads is one the README's example of the
JSON has, every state it compares with is one the README documents, and it
exits 0 only for a healthy state. Whether PowerShell runs it is for Windows
to show.

Usage: check_health_script.py <script.ps1> <README.md>"""
import json
import re
import sys

script_path, readme_path = sys.argv[1], sys.argv[2]
script = open(script_path, encoding="utf-8").read()
readme = open(readme_path, encoding="utf-8").read()

# The README's example, the first JSON block of its JSON status section.
section = readme[readme.index("### Status as JSON"):]
example = json.loads(re.search(r"```json\n(.*?)\n```", section, re.S).group(1))
states = set(re.findall(r"^\| `(\w+)` \| \d \|", section, re.M))
assert {"healthy", "degraded", "failed"} <= states, states

# Comments and strings aside, brackets pair up.
code = re.sub(r"<#.*?#>", "", script, flags=re.S)
code = re.sub(r"#[^\n]*", "", code)
code = re.sub(r"'[^'\n]*'", "''", code)
code = re.sub(r'"(?:`.|[^"`\n])*"', '""', code)
assert '"' not in code.replace('""', "") and "'" not in code.replace("''", ""), "open quote"
pairs = {")": "(", "]": "[", "}": "{"}
stack = []
for c in code:
    if c in "([{":
        stack.append(c)
    elif c in pairs:
        assert stack and stack.pop() == pairs[c], "unbalanced " + c
assert not stack, "unclosed " + "".join(stack)

# Every member path read from the status exists in the example.
paths = re.findall(r"\$status((?:\.\w+)+)", script)
assert paths, "the script reads no member of the status"
for path in paths:
    node = example
    for name in path.strip(".").split("."):
        assert isinstance(node, dict) and name in node, "no member " + path
        node = node[name]

# The states it compares with are documented ones.
for state in re.findall(r"-eq '(\w+)'", script):
    assert state in states, "undocumented state " + state

# It exits 0 only after the healthy test, and 1 otherwise.
exits = re.findall(r"exit (\d+)", script)
assert exits.count("0") == 1 and set(exits) == {"0", "1"}, exits
healthy = script.index("$state -eq 'healthy'")
assert healthy < script.index("exit 0") < script.rindex("exit 1"), "exit 0 not behind the test"
assert "/status /json" in script
print("ok")
