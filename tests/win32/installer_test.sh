#!/usr/bin/env bash
# The installer in an empty wine prefix (WINEPREFIX, its wineserver running) on an X display
# (DISPLAY): an older version installed silently with the defaults, then this one over it with
# the developer files and the PATH, then uninstalled silently. Checks the files against the
# staged tree, the registry (the window's Version, file types, Apps & features, PATH), the Start
# menu, the programs run from the installed folder, a job with spaces and non-ASCII letters in
# its path opened through its file type, a card design left to the program that owns .json on
# double-click and opened by the design entry of its menu, and that the uninstaller leaves
# nothing it made behind but keeps the user's own files and settings.
#   installer_test.sh INSTALLER.exe STAGE VERSION [SHOT.png]
set -euo pipefail
installer=$(realpath "$1")
stage=$(realpath "$2")
version=$3
shot=${4:+$(realpath -m "$4")}
root=$(cd "$(dirname "$0")/../.." && pwd)
unset WINEPATH
. "$(dirname "$0")/wine_window.sh"
fail() { echo "installer test: $*" >&2; exit 1; }
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

dir="$WINEPREFIX/drive_c/Program Files/Kalyx"
win_dir='C:\Program Files\Kalyx'
menu="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Kalyx"
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Kalyx'
environment_key='HKLM\SYSTEM\CurrentControlSet\Control\Session Manager\Environment'
design_verb='HKLM\Software\Classes\SystemFileAssociations\.json\shell\Kalyx.OpenDesign'
application_key='HKLM\Software\Classes\Applications\kalyxprntool.exe'

# Prints the data of value $2 of key $1 (empty when absent); "(Default)" when $2 is empty.
reg_value() {
  local key=$1 name=$2 args
  if [ -z "$name" ]; then args=(/ve); else args=(/v "$name"); fi
  wine reg query "$key" "${args[@]}" 2>/dev/null | tr -d '\r' |
    sed -n 's/^    .*    REG_[A-Z_]*    //p' | head -n 1
}
expect_value() {
  local got
  got=$(reg_value "$1" "$2")
  [ "$got" = "$3" ] || fail "$1 ${2:-(Default)} is '$got', expected '$3'"
}
key_exists() { wine reg query "$1" > /dev/null 2>&1; }
value_exists() { wine reg query "$1" /v "$2" > /dev/null 2>&1; }
# What the prefix holds where an installer may write, to compare before and after.
snapshot() {
  (cd "$WINEPREFIX/drive_c" && find "Program Files" ProgramData | sort)
  local key
  for key in 'HKLM\Software\Classes\.prn' 'HKLM\Software\Classes\.json' \
             'HKLM\Software\Classes\Kalyx.PrnJob' 'HKLM\Software\Classes\Kalyx.CardDesign' \
             'HKLM\Software\Classes\SystemFileAssociations' 'HKLM\Software\Orvane' \
             "$uninstall_key" "$application_key"; do
    wine reg query "$key" /s 2>/dev/null | tr -d '\r' || true
  done
  reg_value "$environment_key" Path
}
run_installer() {
  timeout 120 wine "$@" || fail "the installer $1 exited with status $?"
}
# The uninstaller copies itself to a temporary folder, starts the copy and returns at once.
uninstall_silently() {
  timeout 60 wine "$win_dir\\uninstall.exe" /S || fail "uninstall.exe /S exited with status $?"
  for _ in $(seq 300); do
    [ ! -e "$dir/uninstall.exe" ] && ! key_exists "$uninstall_key" && return 0
    sleep 0.2
  done
  fail "the uninstaller did not finish within 60 s"
}

# An editor owns .json, as on most machines that have JSON files; it notes what it was asked to
# open.
wine reg add 'HKLM\Software\Classes\.json' /ve /d Test.JsonEditor /f > /dev/null
wine reg add 'HKLM\Software\Classes\Test.JsonEditor\shell\open\command' /ve \
  /d 'cmd /c echo %1> C:\json-editor.txt' /f > /dev/null
before=$(snapshot)

# 1. An older version with a file this one no longer has, installed with the defaults.
cp -al "$stage" "$scratch/stage"
rm -f "$scratch/stage/installer-files.nsh"
echo "only in the older version" > "$scratch/stage/programs/obsolete.txt"
cmake -DSTAGE="$scratch/stage" -DVERSION=0.9.0 -DOUTPUT="$scratch/kalyx-0.9.0-installer.exe" \
      -DSOURCE_DIR="$root/packaging/windows" -DICON="$root/app/resources/orvane.ico" \
      -DMAKENSIS=makensis -DCOMPRESSOR=zlib -P "$root/cmake/WindowsInstaller.cmake" > /dev/null
run_installer "$scratch/kalyx-0.9.0-installer.exe" /S
expect_value 'HKLM\Software\Orvane\KalyxPrnTool' Version 0.9.0
[ -f "$dir/obsolete.txt" ] || fail "the older version did not install its files"
[ ! -e "$dir/sdk" ] || fail "the developer files were installed without being chosen"
case ";$(reg_value "$environment_key" Path);" in
  *";$win_dir;"*) fail "the system PATH was changed without being chosen" ;;
esac
# The user's own file in the folder and settings of the window.
echo "mine" > "$dir/my notes.txt"
wine reg add 'HKCU\Software\Orvane\KalyxPrnTool' /v pos /d '@Point(0 0)' /f > /dev/null

# 2. This version over it, with the developer files and the PATH.
run_installer "$installer" /S /SDK /PATH
[ ! -e "$dir/obsolete.txt" ] || fail "the upgrade left a file of the older version"
[ -f "$dir/my notes.txt" ] || fail "the upgrade removed the user's file"
for part in programs sdk; do
  target=$dir
  [ "$part" = sdk ] && target=$dir/sdk
  while IFS= read -r file; do
    cmp -s "$stage/$part/$file" "$target/$file" || fail "$target/$file differs from the staged one"
  done < <(cd "$stage/$part" && find . -type f | sed 's|^\./||')
done
entries=$(wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s /v DisplayName |
            tr -d '\r' | grep -c 'REG_SZ    Kalyx$' || true)
[ "$entries" -eq 1 ] || fail "Apps & features lists Kalyx $entries times"
size=$(reg_value "$uninstall_key" EstimatedSize)
[ $((size)) -gt 1000 ] || fail "the estimated size is $size KB"
while IFS='|' read -r key name expected; do
  expect_value "$key" "$name" "$expected"
done <<EOF
HKLM\\Software\\Orvane\\KalyxPrnTool|Version|$version
$uninstall_key|DisplayName|Kalyx
$uninstall_key|DisplayVersion|$version
$uninstall_key|Publisher|Orvane
$uninstall_key|InstallLocation|$win_dir
$uninstall_key|UninstallString|"$win_dir\\uninstall.exe"
$uninstall_key|QuietUninstallString|"$win_dir\\uninstall.exe" /S
HKLM\\Software\\Classes\\.prn||Kalyx.PrnJob
HKLM\\Software\\Classes\\Kalyx.PrnJob\\shell\\open\\command||"$win_dir\\kalyxprntool.exe" "%1"
HKLM\\Software\\Classes\\Kalyx.PrnJob\\DefaultIcon||"$win_dir\\kalyxprntool.exe",0
HKLM\\Software\\Classes\\Kalyx.CardDesign\\shell\\open\\command||"$win_dir\\kalyxprntool.exe" "%1"
HKLM\\Software\\Classes\\.json||Test.JsonEditor
$design_verb|MUIVerb|Open in Kalyx PRN Tool
$design_verb|AppliesTo|System.FileName:"*.card.json"
$design_verb\\command||"$win_dir\\kalyxprntool.exe" "%1"
$application_key|FriendlyAppName|Kalyx PRN Tool
EOF
while IFS='|' read -r key name; do
  value_exists "$key" "$name" || fail "$key has no value $name"
done <<EOF
HKLM\\Software\\Classes\\.json\\OpenWithProgids|Kalyx.CardDesign
HKLM\\Software\\Classes\\.prn\\OpenWithProgids|Kalyx.PrnJob
$application_key\\SupportedTypes|.prn
$application_key\\SupportedTypes|.json
EOF
case ";$(reg_value "$environment_key" Path);" in
  *";$win_dir;"*) ;;
  *) fail "the system PATH lacks $win_dir" ;;
esac
for link in "Kalyx PRN Tool.lnk" "Kalyx command prompt.lnk"; do
  [ -f "$menu/$link" ] || fail "no Start menu entry $link"
done

# 3. The programs from the installed folder, as the command prompt of the Start menu has them.
said=$(timeout 60 wine "$win_dir\\kalyxprn.exe" --version | tr -d '\r')
[ "$said" = "kalyxprn $version" ] || fail "kalyxprn.exe --version said '$said'"
printf 'call "%s\\kalyx-prompt.cmd" > nul\r\nkalyxprn --version\r\nkalyxsim --version\r\n' \
  "$win_dir" > "$WINEPREFIX/drive_c/prompt-check.cmd"
said=$(timeout 60 wine cmd /c 'C:\prompt-check.cmd' | tr -d '\r' | grep -c "^kalyx[a-z]* $version$" || true)
[ "$said" -eq 2 ] || fail "the command prompt does not find kalyxprn and kalyxsim"
rm -f "$WINEPREFIX/drive_c/prompt-check.cmd"

# The window shows the version the installer wrote.
wine "$win_dir\\kalyxprntool.exe" > /dev/null 2>&1 &
app=$!
wait_for_window "Kalyx PRN Tool $version" "$app" || fail "the installed window lacks its version"
close_window "Kalyx PRN Tool $version" "$app" kalyxprntool.exe ||
  fail "the installed window did not close"

# A design in a folder with a blank and letters beyond ASCII. Double-clicked, it goes to the
# program that owns .json; the entry of its menu opens it in the window.
jobs="$WINEPREFIX/drive_c/Kalyx jobs"
mkdir -p "$jobs"
design_name='Ausweis Łódź é.card.json'
cp -r "$root/examples/badge/photos" "$jobs/"
cp "$root/examples/badge/badge.card.json" "$jobs/$design_name"
rm -f "$WINEPREFIX/drive_c/json-editor.txt"
timeout 60 wine start /wait /unix "$jobs/$design_name" > "$scratch/start.log" 2>&1 ||
  fail "double-clicking the design failed: $(cat "$scratch/start.log")"
LC_ALL=C grep -q 'Kalyx jobs.Ausweis .*\.card\.json' "$WINEPREFIX/drive_c/json-editor.txt" 2>/dev/null ||
  fail "double-clicking the design did not reach the program that owns .json"
command=$(reg_value "$design_verb\\command" "")
program=$(sed -n 's/^"\([^"]*\)" "%1"$/\1/p' <<< "$command")
[ -n "$program" ] || fail "the design entry runs '$command'"
design="C:\\Kalyx jobs\\$design_name"
LC_ALL=C.UTF-8 wine "$program" "$design" > /dev/null 2>&1 &
app=$!
expected="$design --- Kalyx PRN Tool $version"
wait_for_window "$expected" "$app" || fail "the design entry did not open the design"
# Under wine the process of a window on a design sometimes outlives its closed window by more than
# half a minute (not understood yet; the Windows tests of the design window check its close). This
# test is about the entry: a lingering process is ended so the uninstall below finds no file in use.
if ! close_window "$expected" "$app" kalyxprntool.exe; then
  echo "installer test: the process of the window on the design lingered; ended" >&2
  wine taskkill /f /im kalyxprntool.exe > /dev/null 2>&1 || true
  wait "$app" 2> /dev/null || true
fi

# A job beside it, opened through its file type.
job_name='Ausweis Łódź é.prn'
timeout 60 wine "$win_dir\\kalyxprn.exe" sample -o 'C:\Kalyx jobs\sample.prn' > /dev/null ||
  fail "kalyxprn.exe sample failed"
mv "$jobs/sample.prn" "$jobs/$job_name"
wine start /wait /unix "$jobs/$job_name" > "$scratch/start.log" 2>&1 &
app=$!
expected="C:\\Kalyx jobs\\$job_name --- Kalyx PRN Tool $version"
wait_for_window "$expected" "$app" ||
  fail "the job did not open through its file type: $(cat "$scratch/start.log")"
if [ -n "$shot" ]; then
  sleep 1.5
  win=$(window_titled "$expected") || fail "the window on the job went away"
  import -window "$win" "$shot"
fi
close_window "$expected" "$app" || fail "the window opened on the job did not close"

# 4. Uninstalled: nothing of it stays, the user's file and settings do.
uninstall_silently
[ -f "$dir/my notes.txt" ] || fail "the uninstaller removed the user's file"
rm "$dir/my notes.txt"
rmdir "$dir"
key_exists 'HKCU\Software\Orvane\KalyxPrnTool' || fail "the uninstaller removed the user's settings"
after=$(snapshot)
if [ "$before" != "$after" ]; then
  diff <(echo "$before") <(echo "$after") >&2 || true
  fail "the uninstaller left the above behind"
fi
echo "installer test: $version installed over 0.9.0, opened a design and a job, uninstalled cleanly"
