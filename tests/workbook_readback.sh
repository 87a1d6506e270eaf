#!/usr/bin/env bash
# The awkward logs (workbook_sample) read back by readers of their own (workbook_check.py):
#   workbook  our workbooks by openpyxl, and by LibreOffice, which opens them headless and saves
#             them again for openpyxl to read what it made of every cell;
#   html      the copy's HTML flavour pasted into LibreOffice (its HTML import, as a paste
#             does), saved as a workbook and read by openpyxl.
# One LibreOffice run each, with a profile of its own, since its start is slow.
# Usage: workbook_readback.sh workbook|html WORKBOOK_SAMPLE
set -uo pipefail
mode=$1
sample=$2
here=$(cd "$(dirname "$0")" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
# The time the logs were read is local time: the same zone for the writer and the reader.
export TZ=Asia/Shanghai

"$sample" "$scratch" || exit 1
cd "$scratch" || exit 1
if [[ $mode == workbook ]]; then
  inputs=(wand-0123.xlsx wand-12E4.xlsx history.xlsx)
  filter=()
else
  inputs=(wand-0123.html wand-12E4.html history.html)
  filter=(--infilter="HTML (StarCalc)")
fi
mkdir libreoffice
timeout 120 soffice -env:UserInstallation="file://$scratch/profile" --headless --norestore \
  "${filter[@]}" --convert-to xlsx --outdir libreoffice "${inputs[@]}" >soffice.log 2>&1
for input in "${inputs[@]}"; do
  [[ -s libreoffice/${input%.*}.xlsx ]] || { echo "LibreOffice did not convert $input:" >&2; cat soffice.log >&2; exit 1; }
done

status=0
for log in wand-0123 wand-12E4 history; do
  if [[ $mode == workbook ]]; then
    /usr/bin/python3 "$here/workbook_check.py" workbook "$log.tsv" "$log.xlsx" \
      "libreoffice/$log.xlsx" || status=1
  else
    /usr/bin/python3 "$here/workbook_check.py" html "$log.tsv" "libreoffice/$log.xlsx" || status=1
  fi
done
exit $status
