#!/usr/bin/env bash
# End-to-end: starts the real KestraneFileweir.exe under Wine (on the test Xvfb display) in a
# private folder and drives it from outside: real OLE drags from KwDriver.exe, posted commands,
# X key presses, the registry. Usage: e2e.sh <scenario> <exe> <KwDriver.exe> <artefact folder>
set -euo pipefail
scenario=$1 exe=$2 driver=$3 artefacts=$4
: "${DISPLAY:?the end-to-end tests need an X display (scripts/test.sh starts Xvfb)}"
mkdir -p "$artefacts"
work=$(mktemp -d /tmp/kw-e2e-XXXXXX)
app_pid=""
hold_pid=""
cleanup() {
  if [ -n "$hold_pid" ]; then touch "$work/release"; wait "$hold_pid" 2>/dev/null || true; fi
  if [ -n "$app_pid" ] && kill -0 "$app_pid" 2>/dev/null; then
    wine "$driver" post KestraneFileweirMain 0x111 204 0 >/dev/null 2>&1 || true
    sleep 2; kill "$app_pid" 2>/dev/null || true
  fi
  # A copy the scenario did not start itself (`route` starts one in the tray) is ended too.
  if timeout 30 wine "$driver" window KestraneFileweirMain >/dev/null 2>&1; then
    wine "$driver" post KestraneFileweirMain 0x111 204 0 >/dev/null 2>&1 || true
    timeout 60 wine "$driver" wait-gone KestraneFileweirMain 50 >/dev/null 2>&1 || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT

win() { printf 'Z:%s' "$1" | tr '/' '\\'; }   # Unix path -> Windows path on drive Z:
json_path() { win "$1" | sed 's/\\/\\\\/g'; }  # ... escaped for a JSON string
fail() {
  echo "FAIL [$scenario]: $*"
  echo "--- activity.log"; cat "$work/app/activity.log" 2>/dev/null || true
  echo "--- the program's error output"; cat "$work/app.stderr" 2>/dev/null || true
  exit 1
}
drive() { timeout 60 wine "$driver" "$@"; }

# Waits (bounded) until a command succeeds.
wait_for() {
  local seconds=$1; shift
  for _ in $(seq 1 $((seconds * 5))); do "$@" && return 0; sleep 0.2; done
  return 1
}
# 1 when the window of that class is visible, 0 when hidden, empty when there is none.
visible() { timeout 30 wine "$driver" window "$1" 2>/dev/null | awk '{print $2}'; }
is_visible() { [ "$(visible "$1")" = "$2" ]; }
log_has() { grep -qF -- "$1" "$work/app/activity.log" 2>/dev/null; }
log_count() { grep -cF -- "$1" "$work/app/activity.log" 2>/dev/null || true; }

mkdir -p "$work/app"
cp "$exe" "$work/app/KestraneFileweir.exe"

# A rule whose catastrophic pattern gives up on each of 300 names in the folder in/many, which a
# drop expands into 300 items: a batch that stays busy for seconds.
slow_batch_config() {
  local slow='{"type": "regex", "regex": "^(a+)+$"}, '
  write_config '"expandFoldersOnDrop": true, "noMatchPolicy": "leave_in_place",' "Slow|txt|$work/slow|$slow"
  sed -i 's/"clauses": \[{"type": "regex"/"combineLogic": "or", "clauses": [{"type": "regex"/' "$work/app/config.json"
  mkdir -p "$work/in/many"
  for i in $(seq 100 399); do printf x > "$work/in/many/aaaaaaaaaaaaaaaaaaaaaaaaaaaaaa$i!"; done
}
# The settings window (the largest window of that title).
main_window() {
  for id in $(xdotool search --name '^Kestrane Fileweir$'); do
    eval "$(xdotool getwindowgeometry --shell "$id")"; echo "$((WIDTH * HEIGHT)) $id"
  done | sort -n | tail -1 | cut -d' ' -f2
}
item_logged() { log_has "[ok] " || log_has "[left] "; }
all_gave_up() { [ "$(log_count 'Left in place (No matching rule) ')" = 300 ] && log_has "gave up after"; }

start_app() {
  # What Wine says of the program (a crash among it) is shown when the scenario fails.
  (cd "$work/app" && exec wine KestraneFileweir.exe) >/dev/null 2>>"$work/app.stderr" &
  app_pid=$!
  drive wait-window KestraneFileweirOverlay 60 >/dev/null || fail "the drop zone never appeared"
}

# Ends the program through the tray menu's Exit command and returns its exit code.
exit_app() {
  drive post KestraneFileweirMain 0x111 204 0 >/dev/null || fail "no main window to send Exit to"
  local code=0
  timeout 60 tail --pid="$app_pid" -f /dev/null || fail "the program did not exit"
  wait "$app_pid" || code=$?
  app_pid=""
  return $code
}

# A config.json with one rule per argument: "name|extensions|destination folder (Unix)|extra JSON".
write_config() {
  local extra=$1; shift
  local rules="" sep=""
  for rule in "$@"; do
    # Name|extensions|destination|conditions before the extension one|members added to the rule
    IFS="|" read -r name exts dest more members <<<"$rule"
    mkdir -p "$dest"
    rules+="$sep{\"name\": \"$name\", \"destination\": \"$(json_path "$dest")\", \"clauses\": [$more{\"type\": \"extension\", \"extensions\": \"$exts\"}]$members}"
    sep=", "
  done
  printf '{%s "minimizeToTray": false, "rules": [%s]}' "$extra" "$rules" > "$work/app/config.json"
}

case "$scenario" in
  first-start)
    start_app
    wait_for 20 test -f "$work/app/config.json" || fail "no config.json written at start"
    grep -q '"rules": \[\]' "$work/app/config.json" || fail "config.json lacks the default empty rule list"
    # Beside the exe, stored relative to its folder so that a copied or moved folder keeps it.
    grep -qF '"catchAllPath": "Unsorted"' "$work/app/config.json" \
      || fail "config.json lacks the default Unsorted folder beside the exe"
    rect=$(drive window KestraneFileweirOverlay) || fail "no drop zone"
    # First placed in the bottom right corner (the whole screen is the work area here: no taskbar).
    read -r _ _ x y w h <<<"$(tr -d '\r' <<<"$rect")"
    read -r sw sh < <(xdpyinfo | awk '/dimensions:/ { split($2, d, "x"); print d[1], d[2] }')
    [ $((sw - x - w)) -eq 16 ] && [ $((sh - y - h)) -eq 16 ] \
      || fail "the drop zone is not in the bottom right corner of the ${sw}x$sh screen: $x,$y (${w}x$h)"
    import -window root "$artefacts/first-start.png" 2>/dev/null || true
    exit_app || fail "exit code $? (expected 0)"
    grep -q '"overlayX"' "$work/app/config.json" || fail "settings not saved at exit"
    echo "drop zone: $rect"
    ;;

  route-drop)
    write_config '"noMatchPolicy": "leave_in_place",' "Invoices|pdf|$work/PDFs|" "Pictures|jpg png|$work/Pictures|"
    mkdir -p "$work/in"
    names=("bill one.pdf" "Счёт №7 ü.pdf" "holiday photo.JPG" "notes.txt")
    for n in "${names[@]}"; do echo "content of $n" > "$work/in/$n"; done
    start_app
    files=(); for n in "${names[@]}"; do files+=("$(win "$work/in/$n")"); done
    dragged=$(drive drag KestraneFileweirOverlay "${files[@]}") || fail "the drag was not accepted"
    # The source is answered "copy": it never deletes anything itself. (The drop description the
    # target sets on the source's data cannot cross processes under Wine, whose marshalled
    # IDataObject::SetData is a stub; FileDropTarget's tests check it on a real in-process drag.)
    grep -q "^effect copy" <<<"$dragged" || fail "the drop effect was not copy: $dragged"
    wait_for 60 log_has "Left in place (No matching rule)" || fail "the batch never finished"
    log_has "Received 4 dropped item(s)." || fail "no Received line"
    [ -f "$work/PDFs/bill one.pdf" ] && [ -f "$work/PDFs/Счёт №7 ü.pdf" ] || fail "PDFs not moved"
    [ -f "$work/Pictures/holiday photo.JPG" ] || fail "picture not moved"
    [ -f "$work/in/notes.txt" ] || fail "unmatched file did not stay in place"
    [ "$(ls "$work/in")" = "notes.txt" ] || fail "unexpected files left: $(ls "$work/in")"
    [ "$(log_count '[ok] ')" = 3 ] || fail "expected 3 [ok] lines"
    log_has "[left] $(win "$work/in/notes.txt") — Left in place (No matching rule)" \
      || fail "the line of an item left in place has the wrong form"
    log_has "[ok] $(win "$work/in/bill one.pdf") -> $(win "$work/PDFs/bill one.pdf") (Moved via Invoices)" \
      || fail "per-item line has the wrong form"
    import -window root "$artefacts/drop-zone-after-batch.png" 2>/dev/null || true
    exit_app || fail "exit code $?"
    ;;

  folder-drop)
    for expand in false true; do
      write_config "\"expandFoldersOnDrop\": $expand, \"noMatchPolicy\": \"leave_in_place\"," \
        "Text|txt|$work/out-$expand|"
      rm -f "$work/app/activity.log"
      mkdir -p "$work/drop-$expand/Reports/2026/Q1"
      echo a > "$work/drop-$expand/Reports/a.txt"
      echo b > "$work/drop-$expand/Reports/2026/b.txt"
      echo c > "$work/drop-$expand/Reports/2026/Q1/c.txt"
      echo d > "$work/drop-$expand/Reports/2026/Q1/d.pdf"
      start_app
      drive drag KestraneFileweirOverlay "$(win "$work/drop-$expand/Reports")" || fail "drag not accepted"
      if [ "$expand" = true ]; then
        wait_for 60 log_has "Left in place (No matching rule)" || fail "expanded batch never finished"
        log_has "Expanded folder drop to 4 file(s) for routing." || fail "no Expanded line"
        [ -f "$work/out-true/a.txt" ] && [ -f "$work/out-true/b.txt" ] && [ -f "$work/out-true/c.txt" ] \
          || fail "expanded files not routed"
        [ -f "$work/drop-true/Reports/2026/Q1/d.pdf" ] || fail "unmatched file moved"
      else
        wait_for 60 log_has "Left in place (No matching rule)" || fail "folder batch never finished"
        log_has "Received 1 dropped item(s)." || fail "folder not received as one item"
        [ -d "$work/drop-false/Reports/2026/Q1" ] || fail "folder should stay (no rule matches a folder)"
      fi
      exit_app || fail "exit code $?"
    done
    ;;

  drop-during-batch)
    # A dropped folder of 300 names on which a catastrophic pattern gives up (a bounded fraction
    # of a second each) keeps the first batch busy for seconds while the second drop arrives: it
    # waits in the queue and is routed after the first, as a batch of its own.
    slow_batch_config
    echo later > "$work/in/later.txt"
    start_app
    drive drag KestraneFileweirOverlay "$(win "$work/in/many")" || fail "first drag"
    wait_for 20 log_has "Expanded folder drop to 300 file(s) for routing." || fail "first batch not started"
    drive drag KestraneFileweirOverlay "$(win "$work/in/later.txt")" || fail "second drag"
    wait_for 10 log_has "Queued 1 item(s) behind the running batch." || fail "the drop during the batch was not queued"
    sleep 0.5; import -window root "$artefacts/drop-zone-queued.png" 2>/dev/null || true
    log_has "Received 1 dropped item(s)." && fail "the queued drop started before the running batch ended"
    wait_for 180 all_gave_up || fail "the slow batch never finished"
    wait_for 30 log_has "later.txt -> " || fail "the queued drop was never routed"
    [ "$(log_count 'Received 1 dropped item(s).')" = 1 ] || fail "the queued drop was not a batch of its own"
    [ -f "$work/slow/later.txt" ] || fail "the queued file was not moved"
    exit_app || fail "exit code $?"
    ;;

  exit-during-batch)
    # Exit while a batch runs: the program waits for it and logs every item before it ends.
    slow_batch_config
    echo fast > "$work/in/fast.txt"
    start_app
    drive drag KestraneFileweirOverlay "$(win "$work/in/many")" "$(win "$work/in/fast.txt")" \
      || fail "drag not accepted"
    wait_for 20 log_has "Expanded folder drop to 301 file(s) for routing." || fail "batch not started"
    item_logged && fail "the batch finished too fast to test exiting during it"
    drive post KestraneFileweirMain 0x111 204 0 >/dev/null || fail "no main window to send Exit to"
    # While the batch finishes, the window goes on answering (and drawing "Finishing...").
    sleep 1
    drive responsive KestraneFileweirMain 3 >/dev/null || fail "the window stopped responding while the batch finished"
    import -window root "$artefacts/exit-during-batch.png" 2>/dev/null || true
    item_logged && fail "the batch finished too fast to test exiting during it"
    # 300 catastrophic regex matches, each cut off by its time limit, take several times longer
    # on a loaded machine than on a quiet one: the bound is only against a hang.
    code=0; timeout 240 tail --pid="$app_pid" -f /dev/null || fail "the program did not exit"
    wait "$app_pid" || code=$?; app_pid=""
    [ "$code" = 0 ] || fail "exit code $code"
    all_gave_up || fail "not every slow item's outcome was logged"
    log_has "(Moved via Slow)" || fail "the second item's outcome was not logged"
    [ -f "$work/slow/fast.txt" ] || fail "the second item was not routed"
    ;;

  close-and-second-instance)
    write_config '"startMinimized": true, "overlayX": 333, "overlayY": 222, "overlayW": 300, "overlayH": 190,'
    start_app
    is_visible KestraneFileweirMain 0 || fail "startMinimized: the main window should start hidden"
    code=0; (cd "$work/app" && timeout 60 wine KestraneFileweir.exe) >/dev/null 2>&1 || code=$?
    [ "$code" = 0 ] || fail "second instance exit code $code"
    wait_for 20 is_visible KestraneFileweirMain 1 || fail "the second instance did not bring the first back"
    sleep 2; import -window root "$artefacts/main-window.png" 2>/dev/null || true
    drive post KestraneFileweirMain 0x10 0 0 >/dev/null   # WM_CLOSE, minimise-to-tray off
    code=0; timeout 60 tail --pid="$app_pid" -f /dev/null || fail "WM_CLOSE did not end the program"
    wait "$app_pid" || code=$?; app_pid=""
    [ "$code" = 0 ] || fail "exit code $code after WM_CLOSE"
    grep -q '"overlayX": 333' "$work/app/config.json" && grep -q '"overlayY": 222' "$work/app/config.json" \
      || fail "overlay rectangle not saved: $(grep overlay "$work/app/config.json" | tr -d '\n')"
    ;;

  autostart)
    run_value() { wine reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Run' /v KestraneFileweir 2>/dev/null | tr -d '\r'; }
    write_config '"startWithWindows": true,'
    start_app
    wait_for 20 sh -c "wine reg query 'HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run' /v KestraneFileweir >/dev/null 2>&1" \
      || fail "Run value not written"
    run_value | grep -qF "\"$(win "$work/app/KestraneFileweir.exe")\"" || fail "Run value is not the quoted exe path: $(run_value)"
    exit_app || fail "exit code $?"
    write_config '"startWithWindows": false,'
    start_app
    wait_for 20 sh -c "! wine reg query 'HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run' /v KestraneFileweir >/dev/null 2>&1" \
      || fail "Run value not deleted"
    exit_app || fail "exit code $?"
    # Another copy's value (an installed copy, while this one runs from a stick) stays, with the
    # switch off here and with it on.
    wine reg add 'HKCU\Software\Microsoft\Windows\CurrentVersion\Run' /v KestraneFileweir /t REG_SZ \
      /d 'E:\Installed\KestraneFileweir.exe' /f >/dev/null 2>&1 || fail "could not write another copy's Run value"
    for on in false true; do
      write_config "\"startWithWindows\": $on,"
      start_app
      exit_app || fail "exit code $?"
      run_value | grep -qF 'E:\Installed\KestraneFileweir.exe' || fail "another copy's Run value was changed (on: $on): $(run_value)"
    done
    wine reg delete 'HKCU\Software\Microsoft\Windows\CurrentVersion\Run' /v KestraneFileweir /f >/dev/null 2>&1 || true
    ;;

  templates-and-ctrl-copy)
    # Destinations built from each item: a client's invoices by a group of the rule's pattern, a
    # photo by its date taken (May 2024, made here with exiftool; the file itself is new), and a
    # photo renamed where it lies by its date taken. Then Ctrl held while dropping copies instead
    # of moving.
    clients="$(json_path "$work/Clients")\\\\{client}"
    photos="$(json_path "$work/Photos")\\\\{taken:yyyy}\\\\{taken:MM}"
    printf '{"noMatchPolicy": "leave_in_place", "minimizeToTray": false, "rules": [
      {"name": "Invoices", "destination": "%s", "clauses": [{"type": "regex", "regex": "^(?<client>[A-Za-z]+)_Invoice"}]},
      {"name": "Photos", "destination": "%s", "clauses": [{"type": "extension", "extensions": "jpg"}]},
      {"name": "Dated", "action": "rename", "renameTo": "{taken:yyyy-MM-dd} {name}",
       "clauses": [{"type": "extension", "extensions": "jpeg"}]}]}' \
      "$clients" "$photos" > "$work/app/config.json"
    mkdir -p "$work/in"
    echo "invoice" > "$work/in/Acme_Invoice_7.pdf"
    echo "second" > "$work/in/Globex_Invoice_1.pdf"
    for photo in IMG_0042.jpg IMG_0043.jpeg; do
      convert -size 16x16 xc:red "$work/in/$photo"
      exiftool -q -overwrite_original "-DateTimeOriginal=2024:05:17 09:30:00" "$work/in/$photo" || fail "exiftool"
    done
    start_app
    drive drag KestraneFileweirOverlay "$(win "$work/in/Acme_Invoice_7.pdf")" "$(win "$work/in/IMG_0042.jpg")" \
      "$(win "$work/in/IMG_0043.jpeg")" || fail "the drag was not accepted"
    wait_for 60 log_has "(Renamed via Dated)" || fail "the photo to rename was not routed"
    wait_for 60 log_has "(Moved via Photos)" || fail "the photo was not routed"
    [ -f "$work/Clients/Acme/Acme_Invoice_7.pdf" ] || fail "the invoice is not in Clients\\Acme: $(find "$work/Clients")"
    [ -f "$work/Photos/2024/05/IMG_0042.jpg" ] || fail "the photo is not in Photos\\2024\\05: $(find "$work/Photos")"
    [ -f "$work/in/2024-05-17 IMG_0043.jpeg" ] && [ ! -f "$work/in/IMG_0043.jpeg" ] \
      || fail "the photo was not renamed by its date taken: $(ls "$work/in")"
    drive drag-ctrl KestraneFileweirOverlay "$(win "$work/in/Globex_Invoice_1.pdf")" || fail "the Ctrl drag was not accepted"
    wait_for 60 log_has "(Copied via Invoices)" || fail "Ctrl held while dropping did not copy"
    [ -f "$work/Clients/Globex/Globex_Invoice_1.pdf" ] && [ -f "$work/in/Globex_Invoice_1.pdf" ] \
      || fail "the copy is missing, or the item did not stay"
    log_has "copying instead of moving" || fail "the intake line does not say it copies"
    # Ctrl with Shift: the preview plans copies ("Would copy via", in the screenshot), and Route
    # (from the menu) copies.
    echo "third" > "$work/in/Initech_Invoice_2.pdf"
    drive drag-ctrl-shift KestraneFileweirOverlay "$(win "$work/in/Initech_Invoice_2.pdf")" \
      || fail "the Ctrl+Shift drag was not accepted"
    wait_for 20 is_visible KestraneFileweirMain 1 || fail "the preview did not open the settings window"
    sleep 2
    import -window root "$artefacts/ctrl-shift-preview.png" 2>/dev/null || true
    [ ! -e "$work/Clients/Initech" ] || fail "the previewed item was copied before Route"
    drive post KestraneFileweirMain 0x111 209 0 >/dev/null
    wait_for 60 log_has "$(win "$work/Clients/Initech/Initech_Invoice_2.pdf") (Copied via Invoices)" \
      || fail "Route did not copy the previewed item"
    [ -f "$work/in/Initech_Invoice_2.pdf" ] || fail "the previewed item did not stay"
    exit_app || fail "exit code $?"
    ;;

  undo-ctrl-z)
    # A real drop, then Ctrl+Z in the settings window: every item goes back where it was.
    # The drop zone stands clear of the settings window's tab bar, which is clicked below.
    write_config '"noMatchPolicy": "leave_in_place", "overlayX": 1000, "overlayY": 700,' \
      "Invoices|pdf|$work/PDFs|" "Pictures|jpg|$work/Pictures|"
    mkdir -p "$work/in/sub"
    names=("bill one.pdf" "Счёт №7.pdf" "photo.jpg" "notes.txt")
    for n in "${names[@]}"; do echo "content of $n" > "$work/in/$n"; done
    start_app
    files=(); for n in "${names[@]}"; do files+=("$(win "$work/in/$n")"); done
    drive drag KestraneFileweirOverlay "${files[@]}" || fail "the drag was not accepted"
    wait_for 60 log_has "Left in place (No matching rule)" || fail "the batch never finished"
    [ -f "$work/PDFs/bill one.pdf" ] && [ -f "$work/Pictures/photo.jpg" ] || fail "not routed"
    main=$(for id in $(xdotool search --name '^Kestrane Fileweir$'); do
             eval "$(xdotool getwindowgeometry --shell "$id")"; echo "$((WIDTH * HEIGHT)) $id"
           done | sort -n | tail -1 | cut -d' ' -f2)
    xdotool windowactivate --sync "$main" 2>/dev/null || xdotool windowfocus --sync "$main"
    # On the Rules tab (shown at start) Ctrl+Z is about rules: the files stay where they went.
    xdotool key --clearmodifiers ctrl+z
    sleep 2
    [ -f "$work/PDFs/bill one.pdf" ] && [ -f "$work/Pictures/photo.jpg" ] || fail "Ctrl+Z on the Rules tab moved files"
    log_has "[undo]" && fail "Ctrl+Z on the Rules tab started an undo"
    # The Activity tab's header (medium font, 96 DPI: see docs/screenshots.sh; the status line
    # is at the bottom), then Ctrl+Z: the batch just routed goes back without a question.
    # (Wine shows the end-of-batch balloon in the screen's top left corner, over the tab bar of a
    # window placed there: the window moves down first.)
    xdotool windowmove --sync "$main" 0 300 2>/dev/null || xdotool windowmove "$main" 0 300
    sleep 1
    xdotool mousemove --window "$main" 258 49
    sleep 0.3
    xdotool click 1
    sleep 1
    # The balloon may have taken the keyboard: the window gets it back.
    xdotool windowactivate --sync "$main" 2>/dev/null || xdotool windowfocus --sync "$main"
    xdotool key --clearmodifiers ctrl+z
    wait_for 30 log_has "[undo] [ok] $(win "$work/Pictures/photo.jpg") -> $(win "$work/in/photo.jpg") (Put back)" \
      || fail "Ctrl+Z did not put the items back"
    wait_for 10 test -f "$work/in/Счёт №7.pdf" || fail "not every item is back"
    for n in "${names[@]}"; do [ "$(cat "$work/in/$n")" = "content of $n" ] || fail "$n not back whole"; done
    [ -z "$(ls "$work/PDFs" "$work/Pictures" | grep -v ':$' | grep .)" ] || fail "items left at their targets"
    grep -q '"undoOf"' "$work/app/history.jsonl" || fail "the undo was not recorded in the history"
    import -window root "$artefacts/undo-after-ctrl-z.png" 2>/dev/null || true
    exit_app || fail "exit code $?"
    ;;

  shift-drop-preview)
    # Shift held while dropping: the plan shows in the settings window and nothing moves until
    # its Route button is clicked; a preview closed with its Cancel button moves nothing at all.
    # The drop zone (always on top) stands clear of the settings window's buttons.
    write_config '"startMinimized": true, "noMatchPolicy": "leave_in_place", "overlayX": 950, "overlayY": 780,' \
      "Invoices|pdf|$work/PDFs|"
    mkdir -p "$work/in"
    for n in "bill.pdf" "notes.txt" "later.pdf"; do echo "content of $n" > "$work/in/$n"; done
    start_app
    is_visible KestraneFileweirMain 0 || fail "startMinimized: the main window should start hidden"
    drive drag-shift KestraneFileweirOverlay "$(win "$work/in/bill.pdf")" "$(win "$work/in/notes.txt")" \
      || fail "the drag was not accepted"
    wait_for 20 is_visible KestraneFileweirMain 1 || fail "the preview did not open the settings window"
    sleep 2
    import -window root "$artefacts/shift-drop-preview.png" 2>/dev/null || true
    [ -f "$work/in/bill.pdf" ] && [ ! -e "$work/PDFs/bill.pdf" ] || fail "a previewed item moved before Route"
    item_logged && fail "something was routed before Route"
    # The Preview tab's own buttons, clicked where they stand at this font size (as the
    # screenshots measure it): each used to free the plan the table below it was still drawing.
    main=$(main_window)
    xdotool windowactivate --sync "$main" 2>/dev/null || xdotool windowfocus --sync "$main"
    click_at() { xdotool mousemove --window "$main" "$1" "$2"; sleep 0.3; xdotool click 1; }
    click_at 40 114   # Route these 2 items
    wait_for 30 log_has "(Moved via Invoices)" || fail "Route did not route the previewed items"
    wait_for 30 log_has "Left in place (No matching rule)" || fail "the batch never finished"
    [ -f "$work/PDFs/bill.pdf" ] && [ -f "$work/in/notes.txt" ] || fail "not routed as planned"
    [ "$(log_count '[ok] ')" = 1 ] && [ "$(log_count '[left] ')" = 1 ] || fail "expected exactly the two previewed items"
    drive drag-shift KestraneFileweirOverlay "$(win "$work/in/later.pdf")" || fail "second drag"
    sleep 3
    click_at 145 114  # Cancel (beside "Route this item")
    sleep 2
    drive responsive KestraneFileweirMain 3 >/dev/null || fail "the program stopped answering after Cancel"
    [ "$(visible KestraneFileweirMain)" = 1 ] || fail "the program is gone after Cancel"
    # Route from the menu now finds no preview to route: Cancel closed it.
    drive post KestraneFileweirMain 0x111 209 0 >/dev/null; sleep 2
    [ -f "$work/in/later.pdf" ] && [ ! -e "$work/PDFs/later.pdf" ] || fail "a cancelled preview moved its item"
    [ "$(log_count '[ok] ')" = 1 ] || fail "a cancelled preview routed something"
    exit_app || fail "exit code $?"
    ;;

  hotkey)
    # Wine grabs no global keys: WM_HOTKEY arrives only while one of its windows has the focus.
    write_config ''
    start_app
    is_visible KestraneFileweirOverlay 1 || fail "drop zone should start visible"
    # Both windows carry the product name; the main window is the larger one.
    main=$(for id in $(xdotool search --name '^Kestrane Fileweir$'); do
             eval "$(xdotool getwindowgeometry --shell "$id")"; echo "$((WIDTH * HEIGHT)) $id"
           done | sort -n | tail -1 | cut -d' ' -f2)
    xdotool windowactivate --sync "$main" 2>/dev/null || xdotool windowfocus --sync "$main"
    xdotool key --clearmodifiers ctrl+alt+d
    wait_for 10 is_visible KestraneFileweirOverlay 0 || fail "the hotkey did not hide the drop zone"
    xdotool key --clearmodifiers ctrl+alt+d
    wait_for 10 is_visible KestraneFileweirOverlay 1 || fail "the hotkey did not show the drop zone again"
    exit_app || fail "exit code $?"
    grep -q '"overlayVisible": true' "$work/app/config.json" || fail "visibility not saved"
    ;;

  held-config)
    # Another program holds config.json without sharing while the program starts: it runs on the
    # defaults, writes nothing over the document, and takes it up by itself once it is free.
    write_config '"overlayVisible": false,' "Invoices|pdf|$work/PDFs|"
    cp "$work/app/config.json" "$work/original.json"
    timeout 200 wine "$driver" hold "$(win "$work/app/config.json")" "$(win "$work/release")" >"$work/hold.out" 2>&1 &
    hold_pid=$!
    wait_for 30 grep -q held "$work/hold.out" || fail "config.json was not held: $(cat "$work/hold.out")"
    start_app
    is_visible KestraneFileweirOverlay 1 || fail "the drop zone should show: the defaults are in use"
    for shown in 0 1; do   # tray command "toggle drop zone": each one saves
      drive post KestraneFileweirMain 0x111 202 0 >/dev/null || fail "no main window"
      wait_for 10 is_visible KestraneFileweirOverlay $shown || fail "the toggle did nothing"
    done
    import -window root "$artefacts/held-config.png" 2>/dev/null || true
    cmp -s "$work/app/config.json" "$work/original.json" || fail "config.json was written while held"
    [ ! -e "$work/app/config.json.tmp" ] || fail "a save was tried while config.json was held"
    touch "$work/release"; wait "$hold_pid" || fail "the holder failed: $(cat "$work/hold.out")"; hold_pid=""
    # Taken up without a save: the document's hidden drop zone takes effect.
    wait_for 20 is_visible KestraneFileweirOverlay 0 || fail "config.json was not taken up once free"
    exit_app || fail "exit code $?"
    grep -q '"name": "Invoices"' "$work/app/config.json" || fail "the rule was lost: $(cat "$work/app/config.json")"
    grep -q '"overlayVisible": false' "$work/app/config.json" || fail "the document's settings were not kept"
    ;;

  drop-zone-gestures)
    # Saved while a monitor now gone was attached: the drop zone comes back onto the screen.
    write_config '"startMinimized": true, "overlayX": -3000, "overlayY": 5000, "overlayW": 320, "overlayH": 200,'
    start_app
    read -r _ _ x y w h < <(drive window KestraneFileweirOverlay | tr -d '\r') || fail "no drop zone"
    read -r sw sh < <(xdpyinfo | awk '/dimensions:/ { split($2, d, "x"); print d[1], d[2] }')
    [ "$x" -ge 0 ] && [ "$y" -ge 0 ] && [ $((x + w)) -le "$sw" ] && [ $((y + h)) -le "$sh" ] \
      || fail "the drop zone is off the ${sw}x$sh screen at $x,$y (${w}x$h)"
    is_visible KestraneFileweirMain 0 || fail "startMinimized: the main window should start hidden"
    # Its inside answers as a caption (it moves the window), so a real double click arrives as a
    # non-client one; it opens the settings window all the same.
    xdotool mousemove --sync $((x + w / 2)) $((y + h / 2)) click --repeat 2 --delay 80 1
    wait_for 10 is_visible KestraneFileweirMain 1 || fail "a double click on the drop zone did not open the settings window"
    # A real right-click opens its menu ("Settings…", ..., "Exit" last); Exit ends the program.
    # A quick click: over before the drop zone's hit test asks whether the right button is down,
    # so it arrives on the caption.
    sleep 1
    xdotool mousemove --sync $((x + w / 2)) $((y + h / 2)) click 3
    sleep 2
    import -window root "$artefacts/drop-zone-menu.png" 2>/dev/null || true
    xdotool key Up; sleep 0.3; xdotool key Return
    timeout 60 tail --pid="$app_pid" -f /dev/null || fail "Exit in the drop zone's menu did not end the program"
    code=0; wait "$app_pid" || code=$?
    app_pid=""
    [ "$code" = 0 ] || fail "exit code $code after Exit in the drop zone's menu"
    grep -q "\"overlayX\": $x," "$work/app/config.json" || fail "the rectangle on screen was not saved"
    ;;

  missing-folder-no-box)
    # A routing folder that is not there yet is no reason to stop the user at start-up: no box
    # comes up, two drops are routed and the folder is made at the first move. A folder that
    # cannot be made (a file stands in its way) is: the box comes up while the drop zone goes on.
    write_config '"noMatchPolicy": "leave_in_place",' "Invoices|pdf|$work/Invoices|" "Notes|txt|$work/blocked/Notes|"
    rmdir "$work/Invoices"
    rm -rf "$work/blocked"; echo file > "$work/blocked"
    mkdir -p "$work/in"; echo 1 > "$work/in/first.pdf"; echo 2 > "$work/in/second.pdf"; echo 3 > "$work/in/third.txt"
    box_open() { xdotool search --name '^Routing folders missing$|^Folder could not be created$' >/dev/null 2>&1; }
    uncreated_box() { xdotool search --name '^Folder could not be created$' >/dev/null 2>&1; }
    start_app
    sleep 3
    box_open && fail "a message box about the missing folder came up at start-up"
    drive drag KestraneFileweirOverlay "$(win "$work/in/first.pdf")" || fail "first drag"
    wait_for 20 log_has "first.pdf (Moved via Invoices)" || fail "the first batch was not logged"
    drive drag KestraneFileweirOverlay "$(win "$work/in/second.pdf")" || fail "second drag"
    wait_for 20 log_has "second.pdf (Moved via Invoices)" || fail "the second batch was not logged"
    box_open && fail "a message box came up while routing into the new folder"
    drive drag KestraneFileweirOverlay "$(win "$work/in/third.txt")" || fail "third drag"
    wait_for 20 uncreated_box || fail "no box about the folder that could not be created"
    [ -f "$work/in/third.txt" ] || fail "the file whose folder could not be made should stay where it was"
    import -window root "$artefacts/missing-folder-no-box.png" 2>/dev/null || true
    exit_app || fail "exit code $?"
    [ "$(log_count 'first.pdf (Moved via Invoices)')" = 1 ] && [ "$(log_count 'second.pdf (Moved via Invoices)')" = 1 ] \
      || fail "each batch must be logged exactly once"
    [ -f "$work/Invoices/first.pdf" ] && [ -f "$work/Invoices/second.pdf" ] || fail "the files were not moved"
    ;;

  log-off-during-batch)
    # The session ends while slow items are being handled (each pattern search gives up only at
    # its step bound): the batch stops after the item in hand, and by the time WM_ENDSESSION is
    # answered (the process is ended right then) every handled item has its log line; the items
    # not reached stay where they were.
    slow='{"type": "regex", "regex": "^(a+)+$"}, '
    write_config '"noMatchPolicy": "leave_in_place",' "Slow|txt|$work/out|$slow"
    sed -i 's/"clauses": \[{"type": "regex"/"combineLogic": "or", "clauses": [{"type": "regex"/' "$work/app/config.json"
    mkdir -p "$work/in"
    echo a > "$work/in/a.txt"; echo b > "$work/in/b.txt"; echo c > "$work/in/c.txt"
    files=("$(win "$work/in/a.txt")" "$(win "$work/in/b.txt")")
    for n in $(seq 10 49); do
      printf x > "$work/in/aaaaaaaaaaaaaaaaaaaaaaaaaaa!$n"; files+=("$(win "$work/in/aaaaaaaaaaaaaaaaaaaaaaaaaaa!$n")")
    done
    files+=("$(win "$work/in/c.txt")")
    start_app
    drive drag KestraneFileweirOverlay "${files[@]}" || fail "drag not accepted"
    wait_for 20 test -f "$work/out/b.txt" || fail "the first items were not moved"
    item_logged && fail "the batch finished too fast to log off during it"
    drive end-session KestraneFileweirMain || fail "the session end was not answered"
    app_pid=""
    log_has "a.txt (Moved via Slow)" && log_has "b.txt (Moved via Slow)" || fail "moved items have no log line"
    log_has "aaaaaaaaaaaaaaaaaaaaaaaaaaa!10 — Left in place (No matching rule" || fail "the item in hand has no log line"
    log_has "Stopped as the session ended: " || fail "the stop was not logged"
    [ -f "$work/in/c.txt" ] && [ ! -e "$work/out/c.txt" ] || fail "the item not reached was moved"
    grep -q '"overlayX"' "$work/app/config.json" || fail "the settings were not saved"
    ;;

  typing-burst)
    # Typed at about 25 characters a second into a rule's name with the mouse at rest: every
    # character is shown and saved, none waits for the mouse to move.
    write_config '"overlayX": 950, "overlayY": 780,' "PDFs|pdf|$work/PDFs|"
    start_app
    wait_for 20 is_visible KestraneFileweirMain 1 || fail "no settings window"
    sleep 1
    main=$(main_window)
    xdotool windowactivate --sync "$main" 2>/dev/null || xdotool windowfocus --sync "$main"
    xdotool mousemove --window "$main" 150 156; sleep 0.3; xdotool click 1; sleep 0.5   # the rule's row
    xdotool mousemove --window "$main" 740 159; sleep 0.3; xdotool click 1; sleep 0.5   # its name
    xdotool key End
    xdotool type --delay 40 " to Documents"
    named() { grep -q '"name": "PDFs to Documents"' "$work/app/config.json"; }
    wait_for 5 named || fail "the name was saved as $(grep -o '"name": "[^"]*"' "$work/app/config.json")"
    import -window root "$artefacts/typing-burst.png" 2>/dev/null || true
    exit_app || fail "exit code $?"
    ;;

  watched-folder)
    # Files arriving in a watched folder are routed by the rules without a drop: what arrived
    # while the program was closed (this folder's choice says so), a file written slowly (only
    # once complete, and whole), nothing while paused and what came meanwhile on resume, a burst
    # far beyond one notification buffer (none lost, none twice), and a rule whose destination
    # lies inside the watched folder never loops.
    mkdir -p "$work/in"
    watching="\"watching\": {\"folders\": [{\"path\": \"$(json_path "$work/in")\", \"includeSubfolders\": true,"
    watching+=" \"routeExisting\": true, \"settleSeconds\": 2}]},"
    # The burst below goes to 20 folders by a keyword in its names: Wine scans a folder for every
    # new name, so 20,000 moves into one folder would take most of a quarter of an hour.
    parts=(); for k in $(seq 0 19); do parts+=("Part $k|bin|$work/out/part-$k|{\"type\": \"keyword\", \"keyword\": \"-k$k-\"}, "); done
    write_config "\"noMatchPolicy\": \"leave_in_place\", $watching" "${parts[@]}" "Data|bin|$work/out|" "Notes|txt|$work/in/sorted|" \
      "Tags|log|$work/out||, \"action\": \"rename\", \"renameTo\": \"{name} x\""
    for i in $(seq 1 10); do echo "closed $i" > "$work/in/closed-$i.bin"; done
    start_app
    files_in() { [ "$(find "$1" -type f 2>/dev/null | wc -l)" = "$2" ]; }
    wait_for 30 files_in "$work/out" 10 || fail "the items there at start were not routed"
    log_has "[watch] $(win "$work/in"): 10 item(s)" || fail "no [watch] line for the start-up batch"
    # The history says where the batch came from: the Activity tab labels it with the folder.
    grep -qF "\"watched\":\"$(json_path "$work/in")\"" "$work/app/history.jsonl" ||
      fail "the history does not name the watched folder of the start-up batch"

    # Written over 8 s, a chunk a second, by a program keeping its own pace.
    ( for i in $(seq 1 8); do head -c 100000 /dev/zero >> "$work/in/slow.bin"; sleep 1; done ) &
    writer=$!
    sleep 6
    [ -f "$work/out/slow.bin" ] && fail "a file still being written was moved"
    wait "$writer"
    wait_for 10 test -f "$work/out/slow.bin" || fail "the complete file was not routed"
    [ "$(stat -c %s "$work/out/slow.bin")" = 800000 ] || fail "the routed file is not whole: $(stat -c %s "$work/out/slow.bin")"

    # A rule moving into a subfolder of the watched folder: moved once, then left there.
    echo note > "$work/in/note.txt"
    wait_for 10 test -f "$work/in/sorted/note.txt" || fail "the note was not routed"
    sleep 5
    [ "$(log_count 'note.txt (Moved via Notes)')" = 1 ] || fail "the note was routed more than once"
    # A rule renaming in place inside the watched folder: its new name is the program's own and
    # is never renamed again ("tag x x.log").
    echo tag > "$work/in/tag.log"
    wait_for 10 test -f "$work/in/tag x.log" || fail "the log file was not renamed: $(ls "$work/in")"
    sleep 5
    [ "$(log_count '(Renamed via Tags)')" = 1 ] || fail "renamed more than once: $(ls "$work/in")"
    [ -f "$work/in/tag.log" ] && fail "the old name is still there"

    drive post KestraneFileweirMain 0x111 240 0 >/dev/null || fail "no main window for Pause watching"
    wait_for 10 log_has "Watching paused." || fail "pause not logged"
    echo later > "$work/in/later.bin"
    sleep 5
    [ -f "$work/in/later.bin" ] || fail "routed while paused"
    drive post KestraneFileweirMain 0x111 241 0 >/dev/null || fail "no main window for Resume watching"
    wait_for 15 test -f "$work/out/later.bin" || fail "what arrived while paused was not routed on resume"

    burst=${KW_WATCH_BURST:-20000}
    mkdir -p "$work/staging"
    for i in $(seq 1 "$burst"); do : > "$work/staging/b$i-k$((i % 20))-.bin"; done
    start=$(date +%s)
    mv "$work/staging"/* "$work/in/"   # as fast as the file system takes them
    wait_for 400 files_in "$work/out" $((burst + 12)) || fail "after a burst of $burst: $(find "$work/out" -type f | wc -l) of $((burst + 12)) routed"
    echo "burst of $burst routed in $(( $(date +%s) - start )) s"
    sleep 3
    [ "$(ls "$work/in" | grep -c '\.bin$')" = 0 ] || fail "burst items left behind"
    [ "$(log_count '[fail] ')" = 0 ] || fail "failed items (routed twice?)"
    import -window root "$artefacts/watched-folder.png" 2>/dev/null || true
    exit_app || fail "exit code $?"
    ;;

  watched-stream)
    # A steady stream of arrivals in a watched folder (about 300 a second, KW_WATCH_STREAM of them,
    # 3,000 unless told) becomes hundreds of small batches, each opened while the one before it
    # still records its items: the history must hold every line whole and every item exactly
    # once, under a batch line of its own, or undo cannot put it back.
    count=${KW_WATCH_STREAM:-3000}
    mkdir -p "$work/in"
    watching="\"watching\": {\"folders\": [{\"path\": \"$(json_path "$work/in")\", \"routeExisting\": true, \"settleSeconds\": 1}]},"
    # Ten folders by a keyword in the names: Wine scans a folder for every new name.
    parts=(); for k in $(seq 0 9); do parts+=("Part $k|bin|$work/out/part-$k|{\"type\": \"keyword\", \"keyword\": \"-k$k-\"}, "); done
    write_config "\"noMatchPolicy\": \"leave_in_place\", $watching" "${parts[@]}"
    : > "$work/in/first-k0-.bin"
    start_app
    files_in() { [ "$(find "$1" -type f 2>/dev/null | wc -l)" = "$2" ]; }
    wait_for 30 files_in "$work/out" 1 || fail "the folder is not watched: what was there at start stayed"
    start=$(date +%s) start_ns=$(date +%s%N)
    for ((i = 1; i <= count; i++)); do
      : > "$work/in/s$i-k$((i % 10))-.bin"
      if (( i % 30 == 0 )); then  # 300 a second: ahead of the clock, wait for it
        ahead=$(( start_ns + i * 1000000000 / 300 - $(date +%s%N) ))
        if (( ahead > 0 )); then sleep "$(awk -v n="$ahead" 'BEGIN { printf "%.3f", n / 1e9 }')"; fi
      fi
    done
    echo "$count arrivals written in $(( $(date +%s) - start )) s"
    wait_for 400 files_in "$work/out" $((count + 1)) ||
      fail "$(find "$work/out" -type f | wc -l) of $((count + 1)) routed"
    echo "stream of $count routed in $(( $(date +%s) - start )) s"
    exit_app || fail "exit code $?"
    history="$work/app/history.jsonl"
    # One JSON object per line: a line torn by another write does not parse on its own.
    torn=$(jq -R -r 'select(length > 0) | (fromjson? // "torn") | select(. == "torn")' "$history" | wc -l)
    [ "$torn" = 0 ] || fail "$torn torn line(s) in the history: $(jq -R -r 'select(length > 0 and (fromjson? // null) == null)' "$history" | head -3)"
    records=$(jq -R -c 'fromjson?' "$history")
    batches=$(jq -r 'select(.batch) | .batch' <<<"$records" | sort -u)
    echo "$(wc -l <<<"$batches") batches in the history"
    sources=$(jq -r 'select(.item and .fate == "moved") | .source' <<<"$records" | sed 's/.*\\//' | sort)
    [ "$(grep -c '^s[0-9]*-k' <<<"$sources")" = "$count" ] ||
      fail "the history holds $(grep -c '^s[0-9]*-k' <<<"$sources") moved items of $count"
    [ -z "$(uniq -d <<<"$sources")" ] || fail "items recorded twice: $(uniq -d <<<"$sources" | head -3)"
    orphans=$(comm -13 <(echo "$batches") <(jq -r 'select(.item) | .item' <<<"$records" | sort -u))
    [ -z "$orphans" ] || fail "items of batches whose opening line is missing: $orphans"
    [ "$(log_count '[fail] ')" = 0 ] || fail "failed items"
    ;;

  kill-mid-batch)
    # The program is killed while a batch runs (after two items moved, during slow ones): the
    # history has the moved items, the activity log does not. The next start logs them first,
    # marked as recovered, once; a start after a clean exit recovers nothing.
    slow='{"type": "regex", "regex": "^(a+)+$"}, '
    write_config '"noMatchPolicy": "leave_in_place",' "Slow|txt|$work/out|$slow"
    sed -i 's/"clauses": \[{"type": "regex"/"combineLogic": "or", "clauses": [{"type": "regex"/' "$work/app/config.json"
    mkdir -p "$work/in"
    echo a > "$work/in/a.txt"; echo b > "$work/in/b.txt"
    files=("$(win "$work/in/a.txt")" "$(win "$work/in/b.txt")")
    for n in $(seq 10 49); do
      printf x > "$work/in/aaaaaaaaaaaaaaaaaaaaaaaaaaa!$n"; files+=("$(win "$work/in/aaaaaaaaaaaaaaaaaaaaaaaaaaa!$n")")
    done
    start_app
    [ -f "$work/app/session.marker" ] || fail "no session marker while running"
    drive drag KestraneFileweirOverlay "${files[@]}" || fail "drag not accepted"
    wait_for 20 test -f "$work/out/b.txt" || fail "the first items were not moved"
    sleep 0.5
    log_has "[ok] " && fail "the batch finished too fast to kill it during it"
    kill -9 "$app_pid"; wait "$app_pid" 2>/dev/null || true; app_pid=""
    grep -qF '"fate":"moved"' "$work/app/history.jsonl" || fail "the history has no moved item"
    log_has "b.txt (Moved via Slow)" && fail "the log already had the item (nothing to recover)"
    recovered=" — recovered after an unexpected exit"
    start_app
    wait_for 30 log_has "$(win "$work/out/b.txt") (Moved via Slow)$recovered" || fail "the moved items were not logged at start"
    log_has "[ok] $(win "$work/in/a.txt") -> $(win "$work/out/a.txt") (Moved via Slow)$recovered" || fail "a.txt not recovered"
    log_has "Recovered after an unexpected exit: the batch at " || fail "no line opening the recovered batch"
    import -window root "$artefacts/recovered-after-kill.png" 2>/dev/null || true
    exit_app || fail "exit code $?"
    [ ! -e "$work/app/session.marker" ] || fail "the session marker outlived a clean exit"
    start_app
    sleep 3
    exit_app || fail "exit code $?"
    [ "$(log_count "b.txt (Moved via Slow)$recovered")" = 1 ] || fail "the items were recovered more than once"
    ;;

  crash-report)
    # A fault in the program (a thread that starts nowhere) leaves a minidump beside the log; the
    # next start logs where it is.
    write_config ''
    start_app
    drive crash KestraneFileweirMain || fail "the program could not be made to crash"
    timeout 60 tail --pid="$app_pid" -f /dev/null || fail "the program did not end"
    wait "$app_pid" 2>/dev/null || true; app_pid=""
    dump=$(ls "$work/app"/crash-*.dmp 2>/dev/null | head -1)
    [ -n "$dump" ] || fail "no crash report beside the log: $(ls "$work/app")"
    [ "$(head -c 4 "$dump")" = MDMP ] || fail "the crash report is not a minidump"
    start_app
    wait_for 30 log_has "Crash report saved: $(win "$dump")" || fail "the crash report was not named at the next start"
    exit_app || fail "exit code $?"
    ;;

  command-line-batch)
    # Three processes with one path each while a copy runs, as a shell verb starts them for a
    # selection: each hands its path over and ends at once, and the running copy routes one batch.
    write_config '"noMatchPolicy": "leave_in_place",' "Invoices|pdf|$work/PDFs|"
    mkdir -p "$work/in"
    for n in one two three; do echo "$n" > "$work/in/$n.pdf"; done
    start_app
    pids=()
    for n in one two three; do
      (cd "$work/app" && exec timeout 60 wine KestraneFileweir.exe "$(win "$work/in/$n.pdf")") >/dev/null 2>&1 &
      pids+=($!)
    done
    for p in "${pids[@]}"; do wait "$p" || fail "a process handing over its path exited with $?"; done
    three_routed() { [ "$(log_count '[ok] ')" = 3 ]; }
    wait_for 30 three_routed || fail "the three items were not routed"
    [ "$(log_count 'From the command line: 3 item(s).')" = 1 ] || fail "not one batch: $(grep -F 'command line' "$work/app/activity.log")"
    log_has "Received 3 dropped item(s)." || fail "the batch did not go through drop intake"
    for n in one two three; do [ -f "$work/PDFs/$n.pdf" ] || fail "$n.pdf not moved"; done
    [ "$(grep -o '"fate":"moved"' "$work/app/history.jsonl" | wc -l)" = 3 ] || fail "the history lacks the three items"
    # A shell object and a missing path are named in the log, and nothing else happens.
    (cd "$work/app" && timeout 60 wine KestraneFileweir.exe '::{645FF040-5081-101B-9F00-00AA005B4382}' \
      "$(win "$work/in/gone.pdf")") >/dev/null 2>&1 || fail "handing over a bad list exited with $?"
    wait_for 20 log_has 'Command line: Not a file or folder: "::{645FF040-5081-101B-9F00-00AA005B4382}"' \
      || fail "the shell object was not logged"
    log_has "Command line: Not found: \"$(win "$work/in/gone.pdf")\"." || fail "the missing path was not logged"
    import -window root "$artefacts/command-line-batch.png" 2>/dev/null || true
    exit_app || fail "exit code $?"
    ;;

  route-console)
    # `route` from a console: its output and exit codes, with no copy running at first.
    write_config '"noMatchPolicy": "leave_in_place",' "Invoices|pdf|$work/PDFs|" "Letters|doc|$work/blocked|" \
      "Broken|bad|$work/broken/{colour}|"
    rm -rf "$work/blocked"; echo "a file where the rule's folder should be" > "$work/blocked"
    mkdir -p "$work/in"
    echo a > "$work/in/a.pdf"; echo n > "$work/in/notes.txt"; echo d > "$work/in/d.doc"; echo b > "$work/in/x.bad"
    route() { (cd "$work/in" && timeout 120 wine "$work/app/KestraneFileweir.exe" route "$@") 2>"$work/err"; }
    expect_code() {
      local want=$1; shift
      local code=0; out=$(route "$@") || code=$?
      [ "$code" = "$want" ] || fail "route $* exited with $code, expected $want: $out $(cat "$work/err")"
    }
    out=$(timeout 60 wine "$work/app/KestraneFileweir.exe" --help) || fail "--help exited with $?"
    grep -qF "attaching to the console it was" <<<"$out" || fail "--help does not say how it prints: $out"
    # --version and an unknown option outside `route` answer in the console and start nothing.
    code=0; out=$(timeout 20 wine "$work/app/KestraneFileweir.exe" --version 2>"$work/err") || code=$?
    [ "$code" = 0 ] || fail "--version exited with $code: $out $(cat "$work/err")"
    grep -qE '^Kestrane Fileweir [0-9a-z]' <<<"$out" || fail "--version printed: $out"
    code=0; out=$(timeout 20 wine "$work/app/KestraneFileweir.exe" --bogus "$(win "$work/in/a.pdf")" 2>"$work/err") || code=$?
    [ "$code" = 2 ] || fail "--bogus exited with $code"
    grep -qF 'Unknown option "--bogus"' "$work/err" || fail "no message for --bogus: $(cat "$work/err")"
    [ -f "$work/in/a.pdf" ] || fail "--bogus routed its path"
    [ -z "$(visible KestraneFileweirMain)" ] || fail "--version or --bogus started the program"
    expect_code 2 --bogus a.pdf
    grep -qF 'Unknown option "--bogus"' "$work/err" || fail "no message for an unknown option: $(cat "$work/err")"
    expect_code 2 a.pdf missing.pdf
    grep -qF 'Not found: "missing.pdf".' "$work/err" || fail "no message for a missing path"
    expect_code 2 '::{645FF040-5081-101B-9F00-00AA005B4382}'
    grep -qF 'Not a file or folder' "$work/err" || fail "no message for a shell object"
    expect_code 2 --preview --dry-run a.pdf
    [ -z "$(visible KestraneFileweirMain)" ] || fail "bad arguments started the program"

    expect_code 0 --dry-run a.pdf notes.txt
    grep -qF "$(win "$work/in/a.pdf") — Invoices: Would move" <<<"$out" || fail "the dry run lacks the plan of a.pdf: $out"
    grep -qF "$(win "$work/in/notes.txt") — " <<<"$out" || fail "the dry run lacks notes.txt: $out"
    grep -qF "Dry run: 2 item(s) planned; nothing was changed." <<<"$out" || fail "no dry-run summary: $out"
    expect_code 0 --copy --dry-run a.pdf
    grep -qF "$(win "$work/in/a.pdf") — Invoices: Would copy via Invoices" <<<"$out" || fail "--copy --dry-run plans no copy: $out"
    [ -f "$work/in/a.pdf" ] && [ ! -e "$work/PDFs/a.pdf" ] || fail "the dry run moved something"
    [ ! -e "$work/app/activity.log" ] || fail "the dry run wrote the log"
    [ -z "$(visible KestraneFileweirMain)" ] || fail "the dry run started the program"

    # Under Wine a process started by the program keeps the caller's pipes open (Windows passes on
    # no handles here), so this first call, which starts a copy, prints to a file, not to $(...).
    code=0; route --wait a.pdf notes.txt >"$work/out" || code=$?
    out=$(cat "$work/out")
    [ "$code" = 0 ] || fail "route --wait exited with $code: $out $(cat "$work/err")"
    grep -qF "Started Kestrane Fileweir in the notification area." <<<"$out" || fail "no word of the start: $out"
    grep -qF "[ok] $(win "$work/in/a.pdf") -> $(win "$work/PDFs/a.pdf") (Moved via Invoices)" <<<"$out" \
      || fail "--wait did not print the item's log line: $out"
    grep -qF "[left] $(win "$work/in/notes.txt")" <<<"$out" || fail "--wait did not print the item left in place: $out"
    log_has "[ok] $(win "$work/in/a.pdf") -> $(win "$work/PDFs/a.pdf") (Moved via Invoices)" || fail "not in the log"
    is_visible KestraneFileweirMain 0 || fail "the copy started for route should stay in the tray"
    expect_code 1 --wait d.doc
    grep -qF "[fail] $(win "$work/in/d.doc")" <<<"$out" || fail "the failed item's line was not printed: $out"
    [ -f "$work/in/d.doc" ] || fail "the failed item is gone"
    # A rule that cannot be carried out (its folder's template has an error) is no success.
    expect_code 1 --wait x.bad
    grep -qF "[fail] $(win "$work/in/x.bad")" <<<"$out" || fail "the template error's line: $out"
    grep -qF "Done — could not route 1" <<<"$out" || fail "the tally does not say it: $out"
    [ -f "$work/in/x.bad" ] || fail "the item whose rule failed is gone"
    expect_code 0 notes.txt
    grep -qF "Handed 1 item(s) to Kestrane Fileweir." <<<"$out" || fail "no word of the hand-over: $out"
    drive post KestraneFileweirMain 0x111 204 0 >/dev/null || fail "no running copy to end"
    drive wait-gone KestraneFileweirMain 60 >/dev/null || fail "the started copy did not end"
    ;;

  route-wait-stalled)
    # A `route --wait` console that stops answering (its process suspended) as its batch ends:
    # the window goes on taking its input (a posted message, as a click is), and the console
    # hears every line once it runs again. The batch is short (75 slow items, a couple of
    # seconds): the console still looks alive when its answer is sent, which a window that sends
    # it itself would wait on for seconds. (A sent WM_NULL cannot tell: a thread waiting in
    # SendMessageTimeout still answers sent messages, while input and posted messages wait.)
    slow_batch_config
    sed -i 's/"minimizeToTray": false/"minimizeToTray": true, "startMinimized": true/' "$work/app/config.json"
    rm -f "$work/in/many/"*17[5-9]! "$work/in/many/"*1[89][0-9]! "$work/in/many/"*[23][0-9][0-9]!
    [ "$(ls "$work/in/many" | wc -l)" = 75 ] || fail "the slow batch is not 75 items"
    start_app
    is_visible KestraneFileweirMain 0 || fail "the window did not start hidden"
    (cd "$work/in" && exec wine "$work/app/KestraneFileweir.exe" route --wait many) >"$work/out" 2>"$work/err" &
    waiter=$!
    wait_for 30 log_has "Expanded folder drop to 75 file(s) for routing." || fail "the batch did not begin"
    kill -STOP "$waiter"
    all_75() { [ "$(log_count 'Left in place (No matching rule) ')" = 75 ]; }
    wait_for 120 all_75 || { kill -CONT "$waiter"; fail "the batch did not end"; }
    # The answer is sent right after the batch's lines are logged. The wake-up the tray sends
    # (posted) shows the window at once, unless its thread waits on the stalled console.
    answered=yes
    drive post KestraneFileweirMain 0x8005 0 0 >/dev/null || answered=no
    wait_for 2 is_visible KestraneFileweirMain 1 || answered=no
    kill -CONT "$waiter"
    [ "$answered" = yes ] || fail "the window stopped taking input while a waiting console stalled"
    timeout 60 tail --pid="$waiter" -f /dev/null || fail "route --wait did not end"
    code=0; wait "$waiter" || code=$?
    [ "$code" = 0 ] || fail "route --wait exited with $code: $(tail -3 "$work/out") $(cat "$work/err")"
    [ "$(grep -cF '[left] ' "$work/out")" = 75 ] || fail "the console did not hear every line: $(grep -cF '[left] ' "$work/out")"
    grep -qF "Done — left in place 75" "$work/out" || fail "no tally: $(tail -2 "$work/out")"
    exit_app || fail "exit code $?"
    ;;

  explorer-integration)
    # Send To and the Explorer menu verb follow the settings: made for this exe, then removed.
    verb_command() { wine reg query "HKCU\\Software\\Classes\\$1\\shell\\KestraneFileweir.Route\\command" /ve 2>/dev/null | tr -d '\r'; }
    sendto_target() { timeout 30 wine "$driver" sendto-target "Kestrane Fileweir" 2>/dev/null | tr -d '\r'; }
    no_sendto() { [ -z "$(sendto_target)" ]; }
    exe_win=$(win "$work/app/KestraneFileweir.exe")
    write_config '"sendToShortcut": true, "explorerMenuVerb": true,'
    start_app
    wait_for 20 sendto_target >/dev/null || fail "no Send To shortcut"
    [ "$(sendto_target)" = "$exe_win" ] || fail "the Send To shortcut opens $(sendto_target), not $exe_win"
    for class in '*' Directory; do
      verb_command "$class" | grep -qF "\"$exe_win\" \"%1\"" || fail "no verb for $class: $(verb_command "$class")"
    done
    wine reg query 'HKCU\Software\Classes\Directory\shell\KestraneFileweir.Route' /v MultiSelectModel 2>/dev/null \
      | grep -q Player || fail "the verb lacks its multi-select model"
    exit_app || fail "exit code $?"
    write_config '"sendToShortcut": false, "explorerMenuVerb": false,'
    start_app
    wait_for 20 no_sendto || fail "the Send To shortcut was not removed"
    ! wine reg query 'HKCU\Software\Classes\*\shell\KestraneFileweir.Route' >/dev/null 2>&1 || fail "the file verb is still there"
    ! wine reg query 'HKCU\Software\Classes\Directory\shell\KestraneFileweir.Route' >/dev/null 2>&1 || fail "the folder verb is still there"
    exit_app || fail "exit code $?"
    ;;

  *) echo "unknown scenario $scenario"; exit 2 ;;
esac
echo "PASS [$scenario]"
