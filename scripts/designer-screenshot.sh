#!/bin/sh
# Starts Qt Designer on a virtual display with the build's plugin and a small form holding the
# library's widgets, and writes a screenshot of the screen: the palette group "Scheme" open and
# a view placed on the form. Usage: scripts/designer-screenshot.sh [BUILD_DIR] [PNG_FILE]
# Installs Designer, the virtual display and the screenshot tool with apt-get when missing.
set -eu
cd "$(dirname "$0")/.."
build="${1:-build}"
out="${2:-$build/designer.png}"
[ -f "$build/plugins/designer/libscheme_designer.so" ] || {
  echo "no Designer plugin in $build/plugins/designer: build first" >&2
  exit 1
}

missing=""
for p in designer-qt6 xvfb xauth scrot xdotool; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  # shellcheck disable=SC2086
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends $missing >/dev/null
fi

scratch=$(mktemp -d)
trap '[ -n "${KEEP_SCRATCH:-}" ] || rm -rf "$scratch"' EXIT
# Designer's own settings: the standard palette groups closed, so that "Scheme" is in sight.
mkdir -p "$scratch/config/QtProject"
cat >"$scratch/config/QtProject/Designer.conf" <<'CONF'
[WidgetBox]
Closed%20categories=Layouts,Spacers,Buttons,Item Views (Model-Based),Item Widgets (Item-Based),Containers,Input Widgets,Display Widgets
CONF
cp scripts/designer-screenshot.ui "$scratch/form.ui"

export XDG_CONFIG_HOME="$scratch/config" QT_PLUGIN_PATH="$PWD/$build/plugins"
export XDG_RUNTIME_DIR="$scratch"
xvfb-run -a -s "-screen 0 1400x900x24" sh -c "
  /usr/lib/qt6/bin/designer -geometry 1400x900+0+0 '$scratch/form.ui' >'$scratch/designer.log' 2>&1 &
  sleep \${DESIGNER_WAIT:-8}
  # Select the view, then show the end of the property editor, where the view's own are.
  xdotool mousemove 500 300 click 1
  sleep 1
  xdotool mousemove 1100 540 click 1 key End
  sleep 1
  scrot -o '$scratch/shot.png'
  kill \$! 2>/dev/null || true; sleep 1"
cp "$scratch/shot.png" "$out"
echo "Wrote $out"
