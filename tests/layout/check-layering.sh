#!/usr/bin/env bash
# Fails when a source includes a header of a layer it must not depend on:
#   check-layering.sh SOURCE_DIR
# app/ wires everything; ui/ builds windows on core/, net/, platform/ and resources/, and the
# window of a file of addresses on spreadsheet/, addressfile/ and places/; geocoding/
# shares net/'s libcurl set-up; mapservice/ serves what geocoding/ finds and the user's places of
# places/; addressfile/ reads its tables through spreadsheet/ and geocodes them through
# geocoding/ (and its HTTP answers, net/); places/ writes its CSV files through spreadsheet/; the
# other layers know only core/ (and themselves). A header of another folder of the same layer is fine.
set -euo pipefail
cd "$1"
declare -A allowed=(
  [core]="core"
  [spreadsheet]="core spreadsheet"
  [addressfile]="core spreadsheet net geocoding addressfile"
  [net]="core net"
  [platform]="core platform"
  [places]="core spreadsheet places"
  [geocoding]="core net geocoding"
  [mapservice]="core geocoding places mapservice"
  [resources]="core resources"
  [ui]="core net platform resources spreadsheet addressfile places ui"
)
status=0
for layer in "${!allowed[@]}"; do
  while IFS=: read -r file line include; do
    target="${include#*\"}"
    target="${target%%/*}"
    case " ${allowed[$layer]} " in
      *" $target "*) ;;
      *)
        echo "$file:$line: $layer/ must not include $target/ ($include)"
        status=1
        ;;
    esac
  done < <(grep -rnE '^#include "[a-z]+/' "$layer" --include='*.h' --include='*.cpp' || true)
done
[ "$status" -eq 0 ] && echo "layering: every include stays within its allowed layers"
exit "$status"
