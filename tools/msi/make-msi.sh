#!/usr/bin/env bash
# Builds the installer from the three binaries of one build.
# Usage: make-msi.sh <product version> <folder with qeldsvc.exe, qeldcpl.dll, qeldcfg.exe> <output.msi>
set -euo pipefail
if [ $# -ne 3 ]; then
    echo "usage: $0 <version> <binary folder> <output.msi>" >&2
    exit 2
fi
version=$1
bindir=$(realpath "$2")
output=$(realpath -m "$3")
wxs=$(realpath "$(dirname "$0")/product.wxs")

# wixl takes file sources only as relative paths, so it runs in the binary folder.
(cd "$bindir" && wixl -a x64 -D Version="$version" -D BinDir=. -o "$output" "$wxs")

# The rollback action that deletes the service again when a later step fails.
# wixl can express neither rollback actions nor programs run from a folder:
# in-script 0x400 + rollback 0x100 + no impersonation 0x800 + ignore result
# 0x40 + a command line run in a folder 34.
msibuild "$output" -q "INSERT INTO CustomAction (Action, Type, Source, Target) VALUES ('RollbackRegisterService', 3426, 'TARGETDIR', 'sc.exe delete QELDSVC')"

# Windows passes public properties from an elevated user's client to the
# installation only when they are listed as secure; wixl lists only those of
# the upgrade search and drops "Secure".
msibuild "$output" -q "UPDATE Property SET Value='OLDERVERSIONFOUND;NEWERVERSIONFOUND;PICTURESFOLDER;UPDATETIME;SCALE;BORDER;POSITION;SERVICEACCOUNT;PICTUREEDITORS' WHERE Property='SecureCustomProperties'"

# Each setting given on the command line installs its own component; wixl
# cannot put conditions on components. "Auto" deletes "Border" (root 2 is
# HKEY_LOCAL_MACHINE), which wixl cannot express either.
for condition in "SettingFolder|PICTURESFOLDER" "SettingUpdateTime|UPDATETIME" \
                 "SettingScale|SCALE" "SettingBorder|BORDER AND NOT BORDER~=\"Auto\"" \
                 "SettingBorderAuto|BORDER~=\"Auto\"" "SettingPosition|POSITION"; do
    msibuild "$output" -q "UPDATE Component SET Condition='${condition#*|}' WHERE Component='${condition%%|*}'"
done
msibuild "$output" -q "CREATE TABLE \`RemoveRegistry\` (\`RemoveRegistry\` CHAR(72) NOT NULL, \`Root\` SHORT NOT NULL, \`Key\` CHAR(255) NOT NULL, \`Name\` CHAR(255), \`Component_\` CHAR(72) NOT NULL PRIMARY KEY \`RemoveRegistry\`)"
msibuild "$output" -q "INSERT INTO RemoveRegistry (RemoveRegistry, Root, \`Key\`, Name, Component_) VALUES ('RemoveBorder', 2, 'SYSTEM\\CurrentControlSet\\Services\\QELDSVC\\Parameters', 'Border', 'SettingBorderAuto')"
