#!/usr/bin/env bash
# Takes screenshots of the real settings window under Wine on a private Xvfb display: the Rules
# tab with a rule selected, Summary, Settings and Activity, in both themes and at the three font
# sizes; the first start (starter rules, the window at its smallest), a new rule and a rule
# with a pattern error (medium font, both DPIs); the Test tab with a mixed drop and the Preview of a Shift-drop (medium font, 96 DPI); at 96 DPI (100 %) and at 144 DPI (150 %, files ending in -144dpi), and one of the whole
# screen with the drop zone at each DPI; the drop zone (its corner enlarged) and the Activity tab
# searching a long log in the dark, light and "Use the system setting" themes; the watched folders
# on the Settings tab, the offer of items already in a folder switched on and its Preview; the
# Activity tab with names in eight scripts (medium font, 96 DPI, both themes). Tabs and rows are clicked with xdotool at positions
# measured for each font size at 96 DPI and scaled.
# Usage: docs/screenshots.sh [output folder]   (default build/screenshots)
# KW_SHOT_DPIS, KW_SHOT_THEMES, KW_SHOT_LOOK_THEMES and KW_SHOT_SIZES narrow the set;
# KW_SHOT_ONLY=<group> takes one group alone in each theme (watch, template, first_hour, look, scripts).
# Needs a build (scripts/build.sh); uses its own Wine prefixes, build/wineprefix-shots(-144).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KW_BUILD_DIR:-$root/build}
out=$(realpath -m "${1:-$build/screenshots}")
exe=$build/bin/KestraneFileweir.exe
driver=$build/tests/e2e/KwDriver.exe
[ -f "$exe" ] && [ -f "$driver" ] || { echo "build first: bash scripts/build.sh"; exit 1; }
mkdir -p "$out"

export KW_WINEPREFIX=${KW_WINEPREFIX:-$build/wineprefix-shots}
base_prefix=$KW_WINEPREFIX
# Room for the window at 150 % (1470 x 1140 for the medium font) beside the drop zone.
export KW_XVFB_SCREEN=${KW_XVFB_SCREEN:-2048x1600x24}
source "$root/scripts/wine-session.sh"
work=$(mktemp -d /tmp/kw-shots-XXXXXX)
app_pid=""
finish() {
  if [ -n "$app_pid" ] && kill -0 "$app_pid" 2>/dev/null; then
    timeout 30 wine "$driver" post KestraneFileweirMain 0x111 204 0 >/dev/null 2>&1 || true
    sleep 2; kill "$app_pid" 2>/dev/null || true
  fi
  rm -f "$WINEPREFIX/dosdevices/d:"
  rm -rf "$work"
  kw_session_end
}
trap finish EXIT
kw_start_display
# A compositor, so that the drop zone's translucency and smooth corners show as on Windows.
if command -v xcompmgr >/dev/null; then xcompmgr >/dev/null 2>&1 & fi

# The rules point at folders on a drive D: of the prefix, as a user's would.
app="$work/d/Tools/Kestrane Fileweir"
mkdir -p "$app" "$work/d/Pictures" "$work/d/Documents/Invoices" "$work/d/Videos" "$work/d/Downloads"
# A mixed drop for the Test and Preview tabs: a name taken at its destination, a recent invoice,
# a video too small for its rule, a file no rule takes, and (not on disk) a name alone.
for f in holiday.jpg invoice-0412.pdf trip.mp4 notes.txt; do echo "$f" > "$work/d/Downloads/$f"; done
echo old > "$work/d/Pictures/holiday.jpg"
mixed_drop=("D:\\Downloads\\setup-2019.exe" "D:\\Downloads\\trip.mp4" "D:\\Downloads\\holiday.jpg"
            "D:\\Downloads\\invoice-0412.pdf" "D:\\Downloads\\notes.txt")
cp "$exe" "$app/KestraneFileweir.exe"

config() {  # theme, font size
  cat >"$app/config.json" <<EOF
{"theme": "$1", "uiFontSize": "$2", "minimizeToTray": false, "overlayVisible": true,
 "overlayX": 1500, "overlayY": 60, "overlayW": 320, "overlayH": 200,
 "catchAllPath": "D:\\\\Unsorted",
 "rules": [
  {"name": "Photos", "destination": "D:\\\\Pictures",
   "clauses": [{"type": "extension", "extensions": "jpg, jpeg, png, heic"}]},
  {"name": "Phone photos", "destination": "D:\\\\Pictures\\\\Phone",
   "clauses": [{"type": "extension", "extensions": "jpg"}]},
  {"name": "Invoices 2026", "destination": "D:\\\\Documents\\\\Invoices", "combineLogic": "and",
   "clauses": [{"type": "keyword", "keyword": "invoice"}, {"type": "extension", "extensions": "pdf"},
               {"type": "date", "dateField": "modified", "dateOp": "newer", "dateDays": 90}]},
  {"name": "Large videos", "destination": "D:\\\\Videos", "conflict": "skip",
   "clauses": [{"type": "file_size", "sizeOp": 0, "sizeBytes": 524288000}, {"type": "extension", "extensions": "mp4 mkv"}]},
  {"name": "Old installers", "action": "recycle",
   "clauses": [{"type": "regex", "regex": "(?i)setup.*\\\\.exe$"}]},
  {"name": "Drafts", "enabled": false, "action": "leave_in_place",
   "clauses": [{"type": "alphabetical", "alphaFrom": "A", "alphaTo": "F"}]}
 ]}
EOF
  cat >"$app/activity.log" <<'EOF'
2026-12-07 10:14:02 | Received 5 dropped item(s).
2026-12-07 10:14:02 | [ok] C:\users\me\Downloads\holiday.jpg -> D:\Pictures\holiday (2).jpg (Moved via Photos)
2026-12-07 10:14:02 | [ok] C:\users\me\Downloads\invoice-0412.pdf -> D:\Documents\Invoices\invoice-0412.pdf (Moved via Invoices 2026)
2026-12-07 10:14:02 | [ok] C:\users\me\Downloads\Отчёт — март.jpg -> D:\Pictures\Отчёт — март.jpg (Moved via Photos)
2026-12-07 10:14:03 | [left] C:\users\me\Downloads\notes.txt — Left in place (No matching rule)
2026-12-07 10:14:03 | [fail] C:\users\me\Downloads\trip.mp4 -> D:\Videos\trip.mp4 (The process cannot access the file because it is being used by another process.)
2026-12-07 10:14:03 | Done — moved 3, left in place 1, could not route 1
EOF
  # Five batches for the Activity tab: a batch undone whole, a routing batch, an undo of part of
  # it (cut short: the rest can still go back), a recycled item.
  cat >"$app/history.jsonl" <<'EOF'
{"batch":134125421400000000,"time":134125421400000000}
{"item":134125421400000000,"fate":"moved","source":"C:\\users\\me\\Downloads\\report.docx","target":"D:\\Documents\\report.docx","rule":"Documents","message":"Moved via Documents","moved":{"kind":"file","bytes":1,"entries":1,"stamp":1}}
{"batch":134125422600000000,"time":134125422600000000,"undoOf":134125421400000000}
{"item":134125422600000000,"fate":"moved","source":"D:\\Documents\\report.docx","target":"C:\\users\\me\\Downloads\\report.docx","rule":"Documents","message":"Put back","moved":{"kind":"file","bytes":1,"entries":1,"stamp":1}}
{"batch":134125436420000000,"time":134125436420000000}
{"item":134125436420000000,"fate":"moved","source":"C:\\users\\me\\Downloads\\holiday.jpg","target":"D:\\Pictures\\holiday (2).jpg","rule":"Photos","message":"Moved via Photos","moved":{"kind":"file","bytes":1,"entries":1,"stamp":1}}
{"item":134125436420000000,"fate":"moved","source":"C:\\users\\me\\Downloads\\invoice-0412.pdf","target":"D:\\Documents\\Invoices\\invoice-0412.pdf","rule":"Invoices 2026","message":"Moved via Invoices 2026","moved":{"kind":"file","bytes":1,"entries":1,"stamp":1}}
{"item":134125436420000000,"fate":"left","source":"C:\\users\\me\\Downloads\\notes.txt","target":"C:\\users\\me\\Downloads\\notes.txt","rule":"No matching rule","message":"Left in place (No matching rule)"}
{"item":134125436420000000,"fate":"failed","source":"C:\\users\\me\\Downloads\\trip.mp4","target":"D:\\Videos\\trip.mp4","rule":"Large videos","message":"The process cannot access the file because it is being used by another process."}
{"batch":134125440150000000,"time":134125440150000000,"undoOf":134125436420000000}
{"item":134125440150000000,"fate":"moved","source":"D:\\Pictures\\holiday (2).jpg","target":"C:\\users\\me\\Downloads\\holiday.jpg","rule":"Photos","message":"Put back","moved":{"kind":"file","bytes":1,"entries":1,"stamp":1}}
{"batch":134125447060000000,"time":134125447060000000}
{"item":134125447060000000,"fate":"recycled","source":"C:\\users\\me\\Downloads\\setup-old.exe","target":"Recycle Bin","rule":"Old installers","message":"Sent to Recycle Bin via Old installers"}
EOF
}

# Starts the program in its folder and brings its window to the front.
start_app() {
  (cd "$app" && exec wine KestraneFileweir.exe) >/dev/null 2>&1 &
  app_pid=$!
  timeout 60 wine "$driver" wait-window KestraneFileweirMain 60 >/dev/null
  sleep 2
  main=$(main_window)
  xdotool windowactivate --sync "$main" 2>/dev/null || true
}

# A batch kept busy on the Activity tab: a rule whose pattern gives up on each of 300 names.
start_slow_batch() {
  config "$1" medium
  sed -i 's/"rules": \[/"expandFoldersOnDrop": true, "rules": [\n  {"name": "Slow names", "destination": "D:\\\\Slow", "combineLogic": "or", "clauses": [{"type": "regex", "regex": "^(a+)+$"}, {"type": "extension", "extensions": "log"}]},/' "$app/config.json"
  rm -rf "$work/d/Downloads/many"; mkdir -p "$work/d/Downloads/many"
  for i in $(seq 100 399); do printf x > "$work/d/Downloads/many/aaaaaaaaaaaaaaaaaaaaaaaaaaaaaa$i!"; done
  start_app
  click "${tabs[4]}" "$bar"
  timeout 60 wine "$driver" drag KestraneFileweirOverlay 'D:\Downloads\many' >/dev/null
}

end_slow_batch() {
  timeout 30 wine "$driver" post KestraneFileweirMain 0x111 204 0 >/dev/null
  timeout 60 tail --pid="$app_pid" -f /dev/null || kill "$app_pid"
  app_pid=""
  rm -rf "$work/d/Downloads/many" "$work/d/Downloads/later.log"
}

# The Activity tab just after the slow batch was cancelled with Esc.
cancelled_batch_shot() {
  start_slow_batch "$1"
  sleep 3
  timeout 30 wine "$driver" post KestraneFileweirMain 0x100 0x1B 1 >/dev/null  # Esc
  # The balloon that reports the batch covers the top of the window for a while under Wine.
  sleep 14; shot "activity-cancelled-$1"
  end_slow_batch
}

# The Activity tab while a second drop waits behind the slow batch.
queued_drop_shot() {
  start_slow_batch "$1"
  echo later > "$work/d/Downloads/later.log"
  sleep 2
  timeout 60 wine "$driver" drag KestraneFileweirOverlay 'D:\Downloads\later.log' >/dev/null
  sleep 2; shot "activity-queued-$1"
  end_slow_batch
}

# The drop zone over the settings window, whole, and its top-left corner enlarged eight times:
# what lies behind shows through outside the rounded border, and the edge is smooth. Also the
# Activity tab searching a log of 20,000 lines for "invoice". Medium font; every theme.
look_shots() {  # theme
  config "$1" medium
  positions medium
  sed -i "s/\"overlayX\": 1500, \"overlayY\": 60/\"overlayX\": $((420 * dpi / 96)), \"overlayY\": $((260 * dpi / 96))/" "$app/config.json"
  awk 'BEGIN { for (i = 1; i <= 20000; i++) {
      rule = i % 500 ? "Scans" : "Invoices 2026"; folder = i % 500 ? "Scans" : "Invoices"; name = i % 500 ? "scan" : "invoice"
      printf "2026-12-0%d 09:%02d:%02d | [ok] C:\\users\\me\\Downloads\\%s-%05d.pdf -> D:\\Documents\\%s\\%s-%05d.pdf (Moved via %s)\n",
             i % 7 + 1, int(i / 60) % 60, i % 60, name, i, folder, name, i, rule } }' >>"$app/activity.log"
  start_app
  read -r _ _ ox oy ow oh < <(timeout 30 wine "$driver" window KestraneFileweirOverlay | tr -d '\r')
  sleep 1
  import -window root "$work/root.png"
  local m=$((16 * dpi / 96)) c=$((36 * dpi / 96))
  convert "$work/root.png" -crop "$((ow + 2 * m))x$((oh + 2 * m))+$((ox - m))+$((oy - m))" +repage "$out/drop-zone-$1$suffix.png"
  convert "$work/root.png" -crop "${c}x${c}+$((ox - 4))+$((oy - 4))" +repage -filter point -resize 800% \
    "$out/drop-zone-corner-$1$suffix.png"
  echo "$out/drop-zone-$1$suffix.png"
  click "${tabs[4]}" "$bar"
  click $((283 * dpi / 96)) $((305 * dpi / 96))
  xdotool type --delay 60 invoice
  sleep 3; shot "activity-search-$1"
  quit_app
}

# The Activity tab after a batch of files named in eight scripts (medium font): every name drawn
# from the system's fonts (Noto's and Symbola in the prefix), right-to-left names reading right to
# left with their letters joined.
scripts_shots() {  # theme
  config "$1" medium
  positions medium
  local name
  for name in "報告書.pdf" "한국어.pdf" "مرحبا.pdf" "שלום.pdf" "ภาษาไทย.pdf" "📷 photo.pdf" "Привет.pdf" "plain.pdf"; do
    printf '2026-12-07 10:16:40 | [ok] C:\\users\\me\\Downloads\\%s -> D:\\Documents\\%s (Moved via Documents)\n' "$name" "$name"
  done >>"$app/activity.log"
  start_app
  click "${tabs[4]}" "$bar"
  sleep 3; shot "activity-scripts-$1"
  quit_app
}

quit_app() {
  timeout 30 wine "$driver" post KestraneFileweirMain 0x111 204 0 >/dev/null
  timeout 30 tail --pid="$app_pid" -f /dev/null || kill "$app_pid"
  app_pid=""
}

# Starts the program and shows its second rule in the editor, selected by a click on its row.
start_on_second_rule() {  # shot name
  start_app
  click 150 "$row2"
  shot "$1"
}

# A Shift-drop on the drop zone: the Preview it opens, then that preview closed unrouted.
preview_shot() {  # shot name, items
  local name=$1
  shift
  timeout 60 wine "$driver" drag-shift KestraneFileweirOverlay "$@" >/dev/null
  sleep 3; shot "$name"
  timeout 30 wine "$driver" post KestraneFileweirMain 0x111 210 0 >/dev/null
}

# Two rules, the second selected by a click on its row: how the editor shows it.
second_rule_shot() {  # theme, the second rule's JSON, shot name
  cat >"$app/config.json" <<EOF
{"theme": "$1", "minimizeToTray": false, "overlayX": 1500, "overlayY": 60,
 "rules": [{"name": "Photos", "destination": "D:\\\\Pictures", "clauses": [{"type": "extension", "extensions": "jpg, png"}]},
           $2]}
EOF
  start_on_second_rule "$3"
  quit_app
}

# The first hour (medium font): the first start with no rules (the starter rules offered, the
# drop zone in the corner above the taskbar), the About tab, the window at its smallest size, a rule just
# added with nothing typed yet, and a rule whose pattern has an error beside the same rule with
# a good pattern (the fields stay where they are).
first_hour_shots() {  # theme
  printf '{"theme": "%s", "minimizeToTray": false}' "$1" >"$app/config.json"
  start_app
  shot "first-start-$1"
  import -window root "$out/first-start-screen-$1$suffix.png"; echo "$out/first-start-screen-$1$suffix.png"
  click $((313 * dpi / 96)) "$bar"; shot "about-$1"
  click "${tabs[0]}" "$bar"
  timeout 30 wine "$driver" resize KestraneFileweirMain 200 150 >/dev/null
  sleep 2; shot "minimum-size-$1"
  quit_app
  second_rule_shot "$1" '{"name": "", "destination": "", "clauses": [{"type": "extension", "extensions": ""}]}' "new-rule-$1"
  second_rule_shot "$1" '{"name": "Scans", "destination": "D:\\Scans", "clauses": [{"type": "regex", "regex": "^scan_[0-9]+"}]}' "rule-pattern-ok-$1"
  second_rule_shot "$1" '{"name": "Scans", "destination": "D:\\Scans", "clauses": [{"type": "regex", "regex": "^scan_([0-9]+"}]}' "rule-pattern-error-$1"
}

# Positions (x of each tab header, y of the tab bar, y of the second rule row) per font size,
# measured on screenshots of the window at its default place at 96 DPI; scaled to the DPI.
positions() {
  case $1 in
    medium) tabs=(28 72 129 197 258) bar=49 row2=176 ;;
    large)  tabs=(32 85 152 234 308) bar=55 row2=222 ;;
    larger) tabs=(39 103 186 287 380) bar=64 row2=267 ;;
  esac
  for i in "${!tabs[@]}"; do tabs[$i]=$((tabs[i] * dpi / 96)); done
  bar=$((bar * dpi / 96)) row2=$((row2 * dpi / 96))
}

# Destinations built from each item: the rule editor with a date-taken template and a new name
# ("Rename to"), each with its example under the field, then the preview of a Shift-drop of
# photos taken in three months (dated with exiftool here), each going to its year and month
# under its new name.
template_shots() {
  cat >"$app/config.json" <<EOF
{"theme": "$1", "uiFontSize": "medium", "minimizeToTray": false, "overlayVisible": true,
 "overlayX": 1500, "overlayY": 60, "overlayW": 320, "overlayH": 200, "catchAllPath": "D:\\\\Unsorted",
 "rules": [
  {"name": "Client invoices", "destination": "D:\\\\Documents\\\\Clients\\\\{client}",
   "clauses": [{"type": "regex", "regex": "^(?<client>[A-Za-z]+)_Invoice"}]},
  {"name": "Photos by month", "destination": "D:\\\\Pictures\\\\{taken:yyyy}\\\\{taken:MM}",
   "renameTo": "{taken:yyyy-MM-dd} {name}", "clauses": [{"type": "extension", "extensions": "jpg, jpeg, heic"}]}
 ]}
EOF
  mkdir -p "$work/d/Camera"
  local dates=("2024:05:03 10:00:00" "2024:05:17 18:30:00" "2024:06:02 09:15:00" "2023:12:24 20:00:00")
  local drop=()
  for i in 0 1 2 3; do
    convert -size 16x16 xc:red "$work/d/Camera/IMG_004$i.jpg"
    exiftool -q -overwrite_original "-DateTimeOriginal=${dates[$i]}" "$work/d/Camera/IMG_004$i.jpg"
    drop+=("D:\\Camera\\IMG_004$i.jpg")
  done
  echo invoice > "$work/d/Camera/Acme_Invoice_7.pdf"
  drop+=("D:\\Camera\\Acme_Invoice_7.pdf")
  start_on_second_rule "rules-template-$1"
  preview_shot "preview-dated-$1" "${drop[@]}"
  quit_app
}

# Watched folders (medium font): the Settings tab scrolled to the list of two folders, one on
# and one off; then the off one turned on by a click on its switch, which asks first because the
# rules would take the photos already in it: "Watching Camera would route 3 items that are
# already there", with Preview / Route them / Only new items.
watch_shots() {  # theme
  config "$1" medium
  positions medium
  mkdir -p "$work/d/Camera"
  for f in IMG_2101.jpg IMG_2102.jpg IMG_2103.jpg; do echo "$f" > "$work/d/Camera/$f"; done
  sed -i 's/"rules": \[/"watching": {"folders": [{"path": "D:\\\\Downloads", "includeSubfolders": false},\n  {"path": "D:\\\\Camera", "enabled": false, "includeSubfolders": true}]},\n "rules": [/' "$app/config.json"
  start_app
  click "${tabs[3]}" "$bar"
  xdotool mousemove --window "$main" $((400 * dpi / 96)) $((400 * dpi / 96))
  # Four wheel notches bring the list to the top; the clicks below were measured at 96 DPI and scaled.
  for _ in 1 2 3 4; do xdotool click 5; sleep 0.1; done
  xdotool mousemove --window "$main" $((880 * dpi / 96)) $((300 * dpi / 96))
  sleep 1; shot "watched-folders-$1"
  click $((19 * dpi / 96)) $((213 * dpi / 96))  # D:\Camera's switch
  xdotool mousemove --window "$main" $((880 * dpi / 96)) $((300 * dpi / 96))
  sleep 3; shot "watch-offer-$1"
  click $((36 * dpi / 96)) $((181 * dpi / 96))  # Preview
  xdotool mousemove --window "$main" $((880 * dpi / 96)) $((600 * dpi / 96))
  sleep 3; shot "watch-preview-$1"
  timeout 30 wine "$driver" post KestraneFileweirMain 0x111 210 0 >/dev/null
  quit_app
  rm -rf "$work/d/Camera"
}

main_window() {
  for id in $(xdotool search --name '^Kestrane Fileweir$'); do
    eval "$(xdotool getwindowgeometry --shell "$id")"; echo "$((WIDTH * HEIGHT)) $id"
  done | sort -n | tail -1 | cut -d' ' -f2
}

click() {  # window-relative x y
  xdotool mousemove --window "$main" "$1" "$2"
  sleep 0.3
  xdotool click 1
  sleep ${KW_SHOT_PAUSE:-0.8}
}

shot() { import -window "$main" "$out/$1$suffix.png"; echo "$out/$1$suffix.png"; }

for dpi in ${KW_SHOT_DPIS:-96 144}; do
  # A prefix per DPI: Wine takes the desktop's DPI from LogPixels, as Windows from its scale.
  export WINEPREFIX=$base_prefix
  [ "$dpi" = 96 ] || WINEPREFIX="$base_prefix-$dpi"
  kw_start_wine
  timeout 60 wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
  rm -f "$WINEPREFIX/dosdevices/d:"
  ln -s "$work/d" "$WINEPREFIX/dosdevices/d:"
  suffix=""
  [ "$dpi" = 96 ] || suffix="-${dpi}dpi"
  # "Use the system setting" follows the apps' colour mode Windows is set to: light here.
  timeout 60 wine reg add 'HKCU\Software\Microsoft\Windows\CurrentVersion\Themes\Personalize' \
    /v AppsUseLightTheme /t REG_DWORD /d 1 /f >/dev/null 2>&1
  if [ -n "${KW_SHOT_ONLY:-}" ]; then  # one group of shots alone, e.g. KW_SHOT_ONLY=watch
    positions medium
    for theme in ${KW_SHOT_THEMES:-dark light}; do "${KW_SHOT_ONLY}_shots" "$theme"; done
    rm -f "$WINEPREFIX/dosdevices/d:"; timeout 30 wineserver -k >/dev/null 2>&1 || true
    continue
  fi
  for theme in ${KW_SHOT_LOOK_THEMES:-dark light system}; do look_shots "$theme"; done
  for theme in ${KW_SHOT_THEMES:-dark light}; do
    for size in ${KW_SHOT_SIZES:-medium large larger}; do
      config "$theme" "$size"
      positions "$size"
      start_on_second_rule "rules-$theme-$size"
      if [ "$theme-$size" = "dark-medium" ]; then
        import -window root "$out/screen$suffix.png"; echo "$out/screen$suffix.png"
      fi
      click "${tabs[2]}" "$bar"; shot "summary-$theme-$size"
      click "${tabs[3]}" "$bar"; shot "settings-$theme-$size"
      click "${tabs[4]}" "$bar"; shot "activity-$theme-$size"
      if [ "$size-$dpi" = medium-96 ]; then
        click "${tabs[1]}" "$bar"
        timeout 60 wine "$driver" drag KestraneFileweirMain "${mixed_drop[@]}" >/dev/null
        sleep 2; shot "tester-$theme"
        preview_shot "preview-$theme" "${mixed_drop[@]:1}"
      fi
      quit_app
      [ "$size-$dpi" = medium-96 ] && cancelled_batch_shot "$theme" && queued_drop_shot "$theme" && template_shots "$theme" &&
        scripts_shots "$theme"
      [ "$size" = medium ] && first_hour_shots "$theme"
    done
  done
  rm -f "$WINEPREFIX/dosdevices/d:"
  timeout 30 wineserver -k >/dev/null 2>&1 || true
done
