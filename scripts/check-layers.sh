#!/usr/bin/env bash
# Fails when a folder of src/ includes a header of a folder above it.
# Layers, bottom up: common, model, the subsystems (link, measure, live,
# history, energy, publish, alarm), app (the composition root), ui (the windows).
set -u
src=${1:-src}
allowed() {
  case $1 in
    common) echo "common" ;;
    model) echo "common model" ;;
    link|measure|live|history|energy|publish|alarm) echo "common model link measure live history energy publish alarm" ;;
    app) echo "common model link measure live history energy publish alarm app" ;;
    ui) echo "common model link measure live history energy publish alarm app ui" ;;
  esac
}
bad=0
for dir in common model link measure live history energy publish alarm app ui; do
  [ -d "$src/$dir" ] || continue
  ok=" $(allowed "$dir") "
  while IFS= read -r line; do
    file=${line%%:*}
    inc=$(sed -E 's/.*#include[[:space:]]*"([a-z]+)\/.*/\1/' <<<"$line")
    if [[ "$ok" != *" $inc "* ]]; then
      echo "layer fault: $line"
      bad=1
    fi
  done < <(grep -H -E '#include[[:space:]]*"[a-z]+/' "$src/$dir"/*.{h,cpp} 2>/dev/null)
done
# Logic never names a widget, chart or printer header.
if grep -n -E '#include[[:space:]]*<(QtWidgets|QtCharts|QtPrintSupport|Q(Widget|MainWindow|Dialog|MessageBox|Chart[A-Za-z]*|Printer|PushButton|Label|Application)\b)' \
     "$src"/{common,model,link,measure,live,history,energy,publish,alarm,app}/*.{h,cpp} 2>/dev/null; then
  bad=1
fi
[ $bad -eq 0 ] && echo "layers: every include points down"
exit $bad
