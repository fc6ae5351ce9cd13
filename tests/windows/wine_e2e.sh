#!/usr/bin/env bash
# The Windows programs against the build machine's simulated unit, through Wine's COM1 mapped
# onto the simulator's pseudo-terminal, in a Wine prefix of this test's own:
#   wine_e2e.sh ctl    QM17CTL.EXE QM17-SIM   qm17ctl.exe programs, verifies and reads the unit
#   wine_e2e.sh window QM17.EXE QM17-SIM      qm17.exe on Xvfb polls it and shows its values
# Prints "N passed, N failed" at the end; the programs' output and a screenshot of the window stay
# in the work folder, the Wine prefix goes.
set -uo pipefail
mode=$1 program=$2 sim=$3
work=$(mktemp -d "${TMPDIR:-/tmp}/qm17-wine-$mode.XXXXXX")
# A prefix made once per build (the runner's) is copied: making one costs far more than a test.
template=${QM17_WINE_TEMPLATE:-${WINEPREFIX:-}}
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
passed=0 failed=0
check() {  # check "what" command...
  local what=$1; shift
  if "$@"; then passed=$((passed + 1)); echo "ok: $what"
  else failed=$((failed + 1)); echo "FAILED: $what"; fi
}
sim_pid=
finish() {
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null
  [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null
  wineserver -k 2>/dev/null
  wineserver -w 2>/dev/null
  rm -rf "$WINEPREFIX"  # some 700 MB; the logs and the screenshot stay
  echo "$passed passed, $failed failed"
  echo "(work folder: $work)"
}
trap finish EXIT

if [ -n "$template" ] && [ -f "$template/system.reg" ]; then
  cp -a "$template" "$WINEPREFIX"
else
  wineboot -i >"$work/wineboot.log" 2>&1
  wineserver -w
fi
"$sim" --link "$work/unit" --frame-log "$work/frames.log" >"$work/sim.out" 2>&1 &
sim_pid=$!
for _ in $(seq 1 50); do [ -e "$work/unit" ] && break; sleep 0.1; done
# Wine maps COM ports when it starts, from this key; a dosdevices link alone would be rewritten.
wine reg add 'HKLM\Software\Wine\Ports' /v COM1 /t REG_SZ /d "$work/unit" /f >"$work/reg.log" 2>&1
wineserver -k 2>/dev/null; wineserver -w 2>/dev/null
wineserver -p >/dev/null 2>&1 </dev/null

run() {  # run NAME args...: the Windows program with its output in files, status in $status
  local name=$1; shift
  wine "$program" "$@" >"$work/$name.out" 2>"$work/$name.err" </dev/null
  status=$?
}

case $mode in
ctl)
  run new new 'C:\Zapalování\Příklad.ign' 2>/dev/null
  mkdir -p "$WINEPREFIX/drive_c/Zapalování"
  run new new 'C:\Zapalování\Příklad.ign'
  check "new writes a file under a Czech name" test -s "$WINEPREFIX/drive_c/Zapalování/Příklad.ign"
  start=$(date +%s.%N)
  run program program --port 1 'C:\Zapalování\Příklad.ign'
  check "program through COM1 ends well" test "$status" = 0
  check "program says the verify passed" grep -q "Verify: OK" "$work/program.out" "$work/program.err"
  run verify verify --port COM1 'C:\Zapalování\Příklad.ign'
  end=$(date +%s.%N)
  check "verify through COM1 ends well" test "$status" = 0
  echo "program + verify under Wine: $(awk "BEGIN { printf \"%.2f\", $end - $start }") s"
  run read read --port '\\.\COM1' -o 'C:\Zapalování\read.ign'
  check "read through \\\\.\\COM1 ends well" test "$status" = 0
  check "the read set is the programmed one" cmp -s \
    <(grep -v '^;' "$WINEPREFIX/drive_c/Zapalování/read.ign") \
    <(grep -v '^;' "$WINEPREFIX/drive_c/Zapalování/Příklad.ign")
  run monitor monitor --port 1 --count 3
  check "monitor shows three frames" test "$status" = 0
  run busy verify --port 2 'C:\Zapalování\Příklad.ign'
  check "a port without a unit exits 1 or 3" test "$status" = 1 -o "$status" = 3
  check "the history is kept under LOCALAPPDATA, not in the current folder" \
    bash -c "ls '$WINEPREFIX'/drive_c/users/*/AppData/Local/qm17/history/ | grep -q ."
  check "the history names the programmed file with its Czech letters (as escaped UTF-8)" \
    bash -c "cat '$WINEPREFIX'/drive_c/users/*/AppData/Local/qm17/history/* | grep -qF 'Zapalov%c3%a1n%c3%ad\\P%c5%99%c3%adklad.ign'"
  ;;
window)
  export DISPLAY=:$((90 + RANDOM % 100))
  Xvfb "$DISPLAY" -screen 0 1024x768x24 >"$work/xvfb.log" 2>&1 &
  xvfb_pid=$!
  sleep 2
  : >"$work/frames.log"
  wine "$program" ENGLISH >"$work/window.out" 2>"$work/window.err" </dev/null &
  window_pid=$!
  sleep "${QM17_WINE_WINDOW_SECONDS:-12}"
  import -window root "$work/window.png" 2>/dev/null
  polls=$(grep -c ' 30$' "$work/frames.log")
  first=$(grep ' 30$' "$work/frames.log" | sed -n '3p' | cut -d' ' -f1)
  last=$(grep ' 30$' "$work/frames.log" | tail -n1 | cut -d' ' -f1)
  if [ "$polls" -gt 3 ]; then
    echo "the window's poll period under Wine: $(awk "BEGIN { printf \"%.1f\", ($last - $first) * 1000 / ($polls - 3) }") ms over $polls polls"
  fi
  check "the window polls the unit (at least 10 polls)" test "$polls" -ge 10
  check "a screenshot was taken" test -s "$work/window.png"
  wine taskkill /im qm17.exe >/dev/null 2>&1
  sleep 2
  kill "$window_pid" 2>/dev/null
  ;;
esac
[ "$failed" = 0 ]
