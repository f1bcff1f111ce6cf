#!/bin/sh
# Checks the editor as installed in PREFIX (scripts/check-package.sh installs a build there and
# calls this): it starts from the prefix and finds its sample under share/tarsel (a screenshot
# run says "Wrote ..." and succeeds), and, where xdg-mime and update-mime-database are at hand,
# the desktop recognises its documents by the installed MIME package: a .scheme file by its
# name, a document saved as .txt by its first line.
#
#   scripts/check-install.sh PREFIX [BUILD_DIR]     (the build's scheme-tool, when the prefix
#                                                   has none; default: build)
set -eu
cd "$(dirname "$0")/.."
prefix="$1"
build="${2:-build}"
export QT_QPA_PLATFORM=offscreen

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() {
  echo "check-install: $*" >&2
  exit 1
}

for file in bin/tarsel share/tarsel/DEMO_EXAMPLES.TXT share/tarsel/image_list.svg \
    share/tarsel/background.svg share/applications/tarsel.desktop \
    share/mime/packages/tarsel.xml; do
  [ -e "$prefix/$file" ] || fail "the install lacks $file"
done
[ ! -e "$prefix/bin/DEMO_EXAMPLES.TXT" ] || fail "the sample is installed beside the program"
grep -qx 'MimeType=application/x-tarsel-scheme;' "$prefix/share/applications/tarsel.desktop" ||
  fail "the desktop entry does not name the documents' type"

# Run from elsewhere, so that nothing is found in the working folder by chance. The settings go
# to the scratch folder, not the user's.
shot="$tmp/installed.png"
out=$(cd "$tmp" && XDG_CONFIG_HOME="$tmp/config" "$prefix/bin/tarsel" --screenshot "$shot" 2>&1) ||
  fail "the installed program failed: $out"
case "$out" in
  *"Wrote $shot"*) ;;
  *) fail "the installed program did not write its screenshot: $out" ;;
esac
case "$out" in
  *rror* | *arning*) fail "the installed program complained: $out" ;;
esac

# Outside a desktop session xdg-mime asks File::MimeInfo's mimetype, which reads the MIME
# database; without it xdg-mime falls back to file(1), which knows no installed packages.
for command in xdg-mime update-mime-database mimetype; do
  if ! command -v "$command" >/dev/null 2>&1; then
    echo "check-install: $command missing; the documents' file type is not checked"
    exit 0
  fi
done
update-mime-database "$prefix/share/mime" >/dev/null 2>&1 || fail "update-mime-database failed"
# The documents as the editor saves them: the sample, written back out by the document's writer.
tool="$prefix/bin/scheme-tool"
[ -f "$tool" ] || tool="$build/tools/scheme-tool/scheme-tool"
for saved in "$tmp/saved.scheme" "$tmp/saved.txt"; do
  if [ -f "$tool" ] && [ -x "$tool" ]; then
    "$tool" save "$prefix/share/tarsel/DEMO_EXAMPLES.TXT" "$saved" >/dev/null
  else
    cp "$prefix/share/tarsel/DEMO_EXAMPLES.TXT" "$saved"
  fi
  type=$(XDG_DATA_HOME="$prefix/share" XDG_DATA_DIRS="$prefix/share" xdg-mime query filetype "$saved")
  [ "$type" = application/x-tarsel-scheme ] ||
    fail "$(basename "$saved") is recognised as '$type', not application/x-tarsel-scheme"
done
echo "check-install: the installed editor starts and its documents are recognised"
