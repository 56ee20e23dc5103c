#!/usr/bin/env bash
# check-manual.sh ZQ410.pdf HELP_FOLDER CHAPTER_FOLDER: the manual has at least 8 A4 pages,
# names every window of both programs and prints every section of every chapter; the help has
# its contents page and a page for every window.
set -euo pipefail
pdf=$1
help=$2
chapters=$3
pages=$(pdfinfo "$pdf" | awk '/^Pages:/ { print $2 }')
[ "$pages" -ge 8 ] || { echo "only $pages pages"; exit 1; }
pdfinfo "$pdf" | grep -q "^Page size:.*(A4)" || { echo "not A4"; exit 1; }
text=$(pdftotext -layout "$pdf" - | tr -d ' \001')
for window in 메인창 통신포트설정 데이터저장설정 폴더선택 멀티설정 멀티운전 파라메터설정 값입력 \
    에러메시지 메모리설정 대하여 그래프뷰어 화면프린트 MQTT설정 경보설정 경보목록; do
    grep -q "$window" <<<"$text" || { echo "the manual does not name $window"; exit 1; }
done
# Every section heading of the chapters is printed (text after a table once went missing).
while IFS= read -r heading; do
    grep -qF "$(tr -d ' ' <<<"${heading#\#\# }")" <<<"$text" ||
        { echo "the manual does not print the section: $heading"; exit 1; }
done < <(grep -h '^## ' "$chapters"/*.md)
[ -f "$help/index.html" ] || { echo "no help index"; exit 1; }
for page in 03-main 04-port 05-recording 05b-folder 06-devicelist 07-overview 08-parameters \
    08b-editval 09-errors 10-memory 11-about 12-viewer 12a-analysis 12b-capture 02-connect 13-trendfile \
    05c-mqtt 05d-alarms 05e-service 05f-served; do
    [ -f "$help/$page.html" ] || { echo "no help page $page"; exit 1; }
    grep -q "href=\"$page.html\"" "$help/index.html" || { echo "index lacks $page"; exit 1; }
done
echo "manual: $pages pages; help: $(ls "$help"/*.html | wc -l) pages"
