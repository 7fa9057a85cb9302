#!/usr/bin/env bash
# Reliability campaign: kills KwCampaign at random moments during batches of about 1,000 items
# (one volume, and across to the tmpfs drive T:) and during settings saves, then checks by content
# hash that nothing was lost and that every item that moved is in the history (as the next start
# completes it from the batch's intents); then hostile conditions and names, access denied (as root: run as
# nobody), then fuzzing. Bounded in time; prints its tally last.
# Usage: campaign.sh <KwCampaign.exe> <wine-exec> <work folder> <wine prefix>
# Environment: KW_CAMPAIGN_SECONDS (kill rounds budget, default 150), KW_CAMPAIGN_FUZZ_SECONDS
# (default 40), KW_CAMPAIGN_SEED.
# A kill between the rename of a finished copy into place and the deletion of its source leaves
# the item whole at both ends, with the move's journal beside it: counted as pending, and the
# next batch must finish that move. An item whole at both ends without a journal, or still so
# after the next batch, is a duplicate and a fault.
set -uo pipefail
exe=$1 wine_exec=$2 work=$3 prefix=$4
budget=${KW_CAMPAIGN_SECONDS:-150}
RANDOM=${KW_CAMPAIGN_SEED:-$$}
scenarios=0 items=0 lost=0 duplicated=0 pending=0 faults=0 unrecorded=0
tmpfs_volume=""

rm -rf "$work" && mkdir -p "$work"
winpath() { printf 'Z:%s' "$(printf '%s' "$1" | tr / '\\')"; }
# Runs one mode to its end; what the program (or Wine) says on stderr is shown with the mode's name.
run() {
  "$wine_exec" "$exe" "$@" </dev/null 2>"$work/stderr"
  local status=$?
  [[ -s $work/stderr ]] && sed "s/^/[$1 stderr] /" "$work/stderr" >&2
  return $status
}

cleanup() {
  if [[ -n $tmpfs_volume ]]; then
    rm -f "$prefix/dosdevices/s:"; umount "$tmpfs_volume" 2>/dev/null; rmdir "$tmpfs_volume" 2>/dev/null
  fi
  rm -f "$prefix/dosdevices/w:"
}
trap cleanup EXIT

# Starts KwCampaign in the background and prints the pid of its Wine process (wine execs its
# loader, so the launcher's pid becomes the program's).
start_bg() { "$wine_exec" "$exe" "$@" </dev/null >>"$work/background.log" 2>&1 & echo $!; }

# Kills by id the Wine process started above and waits for it; Wine's server notices the death.
kill_now() { kill -9 "$1" 2>/dev/null; wait "$1" 2>/dev/null; }

# The number after a label in a RESULT line ("lost 3" -> 3); 0 when the line is missing.
field() { local v; v=$(sed -n "s/.*[ ,]$1 \([0-9]*\).*/\1/p" | tail -1); echo "${v:-0}"; }

second_volume=$(readlink -f "$prefix/dosdevices/t:")
[[ -d $second_volume ]] || { echo "drive T: is not prepared (fixture second-volume)"; exit 1; }

# --- 1. kill mid-batch --------------------------------------------------------------------------
start=$SECONDS round=0
for mode in same cross same cross same cross same cross same cross same cross; do
  (( SECONDS - start < budget )) || break
  round=$((round + 1))
  root="$work/batch-$round"
  if [[ $mode == same ]]; then dest="$(winpath "$root")\\out"; else dest="T:\\campaign-$round"; fi
  # Preparing is set-up, not the program under test: once in a long while the Wine process that
  # writes the batch ends at once without a word (seen right after a killed round), so it gets a
  # second try from scratch. A second failure is a fault of the campaign.
  seed=$((RANDOM * 7 + round))
  for attempt in 1 2; do
    rm -rf "$root"
    run prepare "$(winpath "$root")" 1000 "$seed" >/dev/null
    prepare_status=$?
    prepared=0
    [[ -f $root/manifest.txt ]] && prepared=$(wc -l <"$root/manifest.txt")
    (( prepared == 1000 )) && break
    echo "kill round $round: preparing stopped after $prepared of 1000 items (exit status $prepare_status)"
  done
  if (( prepared != 1000 )); then faults=$((faults + 1)); continue; fi
  # Calibrated on the first batch of each kind: kill anywhere from start-up to the batch's end.
  pid=$(start_bg route "$(winpath "$root")" "$dest")
  sleep "$(( RANDOM % 18 + 3 ))e-1"
  kill_now "$pid"
  out=$(run verify "$(winpath "$root")" "$dest")
  status=$?
  staging=$(field "staging leftovers" <<<"$out")
  at=$(field "at target" <<<"$out")
  # The next start finishes the batch: whatever the kill left must still route cleanly.
  run route "$(winpath "$root")" "$dest" >/dev/null
  final=$(run verify "$(winpath "$root")" "$dest" final)
  final_status=$?
  echo "kill round $round ($mode volume): killed with $at of 1000 at the target, $(field pending <<<"$out") pending," \
       "staging leftovers $staging;" \
       "after the rerun: $(sed -n 's/^RESULT //p' <<<"$final")"
  if (( status != 0 || final_status != 0 )) || [[ $(field items <<<"$final") != 1000 ]]; then
    grep -v '^RESULT' <<<"$out$final" | head -20
    faults=$((faults + 1))
  fi
  lost=$((lost + $(field lost <<<"$out") + $(field lost <<<"$final")))
  duplicated=$((duplicated + $(field duplicated <<<"$out") + $(field duplicated <<<"$final")))
  unrecorded=$((unrecorded + $(field unrecorded <<<"$out") + $(field unrecorded <<<"$final")))
  pending=$((pending + $(field pending <<<"$out")))
  scenarios=$((scenarios + 1)) items=$((items + 1000))
  rm -rf "$root"; [[ $mode == cross ]] && rm -rf "$second_volume/campaign-$round"
done

# --- 1b. kill during an undo, and during a cancel ---------------------------------------------------
# undo: a whole batch routed, then put back by an undo that is killed at a random moment; a second
# undo puts back the rest. cancel: a batch cancelled after a random number of items and killed at
# a random moment; the next batch routes the rest. queued: two drops, the second waiting in the
# queue, killed while the second runs; the next batch routes the rest. Every item must exist once, whole, throughout.
for mode in undo-same undo-cross cancel-same cancel-cross queued-cross; do
  round=$((round + 1))
  root="$work/batch-$round"
  if [[ $mode == *same ]]; then dest="$(winpath "$root")\\out"; else dest="T:\\campaign-$round"; fi
  rm -rf "$root"
  run prepare "$(winpath "$root")" 1000 "$((RANDOM * 7 + round))" >/dev/null
  if [[ $mode == undo-* ]]; then
    run route "$(winpath "$root")" "$dest" >/dev/null
    pid=$(start_bg undo "$(winpath "$root")")
    # An undo on one volume is 1,000 renames: over within about half a second of the start.
    if [[ $mode == *same ]]; then sleep "$(( RANDOM % 6 + 2 ))e-1"; else sleep "$(( RANDOM % 18 + 3 ))e-1"; fi
  elif [[ $mode == queued-* ]]; then
    # Two drops of 500, the second queued behind the first: killed while the second runs (once
    # more than 500 items are at the target, plus a random moment).
    pid=$(start_bg route-queued "$(winpath "$root")" "$dest")
    for _ in $(seq 1 300); do
      (( $(find "$second_volume/campaign-$round" -maxdepth 1 -type f 2>/dev/null | wc -l) > 500 )) && break
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.1
    done
    sleep "$(( RANDOM % 3 ))e-1"
  else
    pid=$(start_bg route-cancel "$(winpath "$root")" "$dest" "$(( RANDOM % 900 + 50 ))")
    sleep "$(( RANDOM % 18 + 3 ))e-1"
  fi
  kill_now "$pid"
  out=$(run verify "$(winpath "$root")" "$dest")
  status=$?
  if [[ $mode == undo-* ]]; then
    run undo "$(winpath "$root")" >/dev/null
    final=$(run verify "$(winpath "$root")" "$dest" back)
  else
    run route "$(winpath "$root")" "$dest" >/dev/null
    final=$(run verify "$(winpath "$root")" "$dest" final)
  fi
  final_status=$?
  echo "kill during ${mode%-*} ($mode): killed with $(field "at target" <<<"$out") of 1000 at the target;" \
       "after the rerun: $(sed -n 's/^RESULT //p' <<<"$final")"
  if (( status != 0 || final_status != 0 )) || [[ $(field items <<<"$final") != 1000 ]]; then
    grep -v '^RESULT' <<<"$out$final" | head -20
    faults=$((faults + 1))
  fi
  lost=$((lost + $(field lost <<<"$out") + $(field lost <<<"$final")))
  duplicated=$((duplicated + $(field duplicated <<<"$out") + $(field duplicated <<<"$final")))
  unrecorded=$((unrecorded + $(field unrecorded <<<"$out") + $(field unrecorded <<<"$final")))
  scenarios=$((scenarios + 1)) items=$((items + 1000))
  rm -rf "$root"; [[ $mode == *cross ]] && rm -rf "$second_volume/campaign-$round"
done

# --- 1d. sources saved while the batch runs ---------------------------------------------------------
# Programs and the user save some items a few items after their turn (through a handle open
# since before the batch, over the contents, by replacing the file): on one volume and across.
# Every item's newest contents must exist exactly once.
for mode in same cross; do
  round=$((round + 1))
  root="$work/batch-$round"
  if [[ $mode == same ]]; then dest="$(winpath "$root")\\out"; else dest="T:\\campaign-$round"; fi
  rm -rf "$root"
  run prepare "$(winpath "$root")" 300 "$((RANDOM * 7 + round))" >/dev/null
  out=$(run route-rewrite "$(winpath "$root")" "$dest")
  status=$?
  echo "sources saved during a batch ($mode volume): $(sed -n 's/^RESULT rewrite: //p' <<<"$out")"
  if (( status != 0 )); then grep -v '^RESULT' <<<"$out" | head -20; faults=$((faults + 1)); fi
  lost=$((lost + $(field lost <<<"$out"))) duplicated=$((duplicated + $(field duplicated <<<"$out")))
  scenarios=$((scenarios + 1)) items=$((items + 300))
  rm -rf "$root"; [[ $mode == cross ]] && rm -rf "$second_volume/campaign-$round"
done

# --- 1c. kill during a watched batch while files are still being written ------------------------
# The batch's items lie in a watched folder whose "already there" items are routed, while four
# writers keep adding to files there (a chunk every 0.3 s). Killed at a random moment: every item
# must exist once, whole; a file still being written must never be moved (each growing file, once
# its writer is done, exists once, at the source or the target, with every chunk).
for mode in watched-same watched-cross; do
  round=$((round + 1))
  root="$work/batch-$round"
  if [[ $mode == *same ]]; then dest="$(winpath "$root")\\out"; dest_unix="$root/out"
  else dest="T:\\campaign-$round"; dest_unix="$second_volume/campaign-$round"; fi
  rm -rf "$root"
  run prepare "$(winpath "$root")" 1000 "$((RANDOM * 7 + round))" >/dev/null
  pid=$(start_bg route-watched "$(winpath "$root")" "$dest")
  writers=()
  for w in 1 2 3 4; do
    ( for c in $(seq 1 12); do head -c 4096 /dev/zero >>"$root/src/growing-$w.dat"; sleep 0.3; done ) &
    writers+=($!)
  done
  sleep "$(( RANDOM % 25 + 5 ))e-1"
  kill_now "$pid"
  out=$(run verify "$(winpath "$root")" "$dest")
  status=$?
  for w in "${writers[@]}"; do wait "$w"; done
  half=0
  for w in 1 2 3 4; do
    sizes=$(stat -c %s "$root/src/growing-$w.dat" "$dest_unix/growing-$w.dat" 2>/dev/null | paste -sd+)
    [[ $sizes == 49152 ]] || { half=$((half + 1)); echo "growing-$w.dat split or moved half-written: $sizes"; }
  done
  echo "kill during a watched batch ($mode): killed with $(field "at target" <<<"$out") of 1000 at the target," \
       "items lost: $(field lost <<<"$out"), half-written files moved: $half"
  if (( status != 0 || half != 0 )); then
    grep -v '^RESULT' <<<"$out" | head -20
    faults=$((faults + 1))
  fi
  lost=$((lost + $(field lost <<<"$out") + half))
  duplicated=$((duplicated + $(field duplicated <<<"$out")))
  scenarios=$((scenarios + 1)) items=$((items + 1004))
  rm -rf "$root"; [[ $mode == *cross ]] && rm -rf "$second_volume/campaign-$round"
done

# --- 2. kill mid-save -----------------------------------------------------------------------------
saves="$work/saves"; mkdir -p "$saves"
broken=0 kills=0
for i in $(seq 1 25); do
  pid=$(start_bg save-loop "$(winpath "$saves")")
  sleep "$(( RANDOM % 8 + 2 )).$(( RANDOM % 10 ))e-1"
  kill_now "$pid"
  if [[ ! -e $saves/config.json ]]; then continue; fi  # killed before the first save finished
  kills=$((kills + 1))
  out=$(run check-save "$(winpath "$saves")") || { broken=$((broken + 1)); echo "$out"; }
done
echo "kill mid-save: $kills kills after a first save, config.json broken $broken times"
scenarios=$((scenarios + kills)) items=$((items + kills)) lost=$((lost + broken))

# --- 3 and 4. hostile conditions and names ---------------------------------------------------------
full=""
if [[ $(id -u) == 0 ]] && [[ ! -e $prefix/dosdevices/s: ]]; then
  tmpfs_volume="$work/full-volume"; mkdir -p "$tmpfs_volume"
  if mount -t tmpfs -o size=256k tmpfs "$tmpfs_volume"; then
    ln -sfn "$tmpfs_volume" "$prefix/dosdevices/s:"; full='S:\'
  else
    rmdir "$tmpfs_volume"; tmpfs_volume=""
  fi
fi
[[ -n $full ]] || echo "(no small tmpfs volume: not root; the full-volume scenario is left out)"
mkdir -p "$work/hostile" "$second_volume/campaign-hostile"
# Wine's trash made impossible (Trash a plain file): the Recycle Bin of a drive that has none.
mkdir -p "$work/no-trash" && echo "not a folder" >"$work/no-trash/Trash"
# Drive W:, a stick a scenario pulls out (renames its folder) and plugs back.
mkdir -p "$work/stick" && ln -sfn "$work/stick" "$prefix/dosdevices/w:"
out=$(KW_XDG_DATA_HOME="$work/no-trash" run hostile "$(winpath "$work/hostile")" 'T:\campaign-hostile' "$full" \
  "$(winpath "$work/stick")")
status=$?
echo "$out"
(( status == 0 )) || faults=$((faults + 1))
scenarios=$((scenarios + $(field scenarios <<<"$out"))) items=$((items + $(field items <<<"$out")))
lost=$((lost + $(field lost <<<"$out"))) duplicated=$((duplicated + $(field duplicated <<<"$out")))
rm -rf "$second_volume/campaign-hostile"

# --- 4b. access denied -------------------------------------------------------------------------------
# As root nothing is denied, so this runs KwCampaign as nobody with a Wine prefix of its own (Wine
# refuses a prefix owned by another user). The prefix is kept beside the test prefix between runs:
# creating it takes about 10 s and 700 MB. Folders are closed to nobody on the Linux side.
denied_uid=65534
if [[ $(id -u) == 0 ]] && command -v setpriv >/dev/null; then
  denied_start=$SECONDS
  dhome="$prefix-nobody/home" dprefix="$prefix-nobody/prefix"
  if [[ $(stat -c %u "$prefix-nobody" 2>/dev/null) != "$denied_uid" ]]; then rm -rf "$prefix-nobody"; fi
  mkdir -p "$dhome" && chown -R "$denied_uid:$denied_uid" "$prefix-nobody"
  as_nobody() {
    setpriv --reuid=$denied_uid --regid=$denied_uid --clear-groups env -i PATH="$PATH" HOME="$dhome" \
      WINEPREFIX="$dprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe,winedbg.exe=d" "$@"
  }
  if ! as_nobody test -x "$dhome" -a -r "$exe" -a -x "$work"; then
    echo "(nobody cannot reach the build folder: the access-denied scenario is left out)"
  else
    if [[ ! -f $dprefix/system.reg ]]; then
      made=$SECONDS
      as_nobody timeout 300 wine wineboot -i </dev/null >/dev/null 2>&1
      as_nobody timeout 120 wineserver -w
      echo "(created nobody's Wine prefix in $((SECONDS - made)) s)"
    fi
    ln -sfn "$second_volume" "$dprefix/dosdevices/t:"
    denied="$work/denied" other="$second_volume/campaign-denied"
    mkdir -p "$denied" "$other/open" "$other/closed"
    run denied prepare "$(winpath "$denied")" >/dev/null
    chown -R "$denied_uid:$denied_uid" "$denied/open-src" "$denied/open-dest" "$other/open"
    chmod 700 "$denied/closed-src" "$denied/closed-dest" "$other/closed"
    # Wine's warning that nobody cannot read the device behind Z: says nothing about the items.
    out=$(cd "$dhome" && as_nobody timeout 120 wine "$exe" denied route "$(winpath "$denied")" 'T:\campaign-denied' \
          </dev/null 2> >(grep -v 'Read access denied for device' >&2))
    status=$?
    as_nobody wineserver -k 2>/dev/null
    echo "$out"
    verified=$(run denied verify "$(winpath "$denied")" 'T:\campaign-denied')
    verify_status=$?
    (( status == 0 && verify_status == 0 )) || faults=$((faults + 1))
    echo "$verified"
    scenarios=$((scenarios + $(field scenarios <<<"$out"))) items=$((items + $(field items <<<"$out")))
    lost=$((lost + $(field lost <<<"$verified"))) duplicated=$((duplicated + $(field duplicated <<<"$verified")))
    rm -rf "$other"
    echo "(access denied: $((SECONDS - denied_start)) s)"
  fi
else
  echo "(not root: the access-denied scenario is left out)"
fi

# --- 5. fuzzing -------------------------------------------------------------------------------------
mkdir -p "$work/fuzz"
out=$(run fuzz "${KW_CAMPAIGN_FUZZ_SECONDS:-40}" "$(winpath "$work/fuzz")")
status=$?
echo "$out"
(( status == 0 )) || faults=$((faults + 1))
# Each mutated document, rule selection and item step counts as an item of the fuzzing scenarios.
fuzzed=$(sed -n 's/^RESULT fuzz: \([0-9]*\) documents, \([0-9]*\) selections, \([0-9]*\) item steps.*/\1 + \2 + \3/p' <<<"$out")
scenarios=$((scenarios + 3)) items=$((items + ${fuzzed:-0}))

cleanup; tmpfs_volume=""
rm -rf "$work"
echo "campaign: scenarios $scenarios, items $items, items lost: $lost, duplicated: $duplicated," \
     "moved items not on record: $unrecorded," \
     "moves cut short by a kill and finished by the next batch: $pending, faults $faults"
(( lost == 0 && duplicated == 0 && unrecorded == 0 && faults == 0 ))
