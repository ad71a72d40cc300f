#!/usr/bin/env bash
# Builds the Windows installer from a self-contained dist folder with wixl and msibuild (msitools).
# Usage: scripts/make-msi.sh DIST_DIR OUT.msi [VERSION]
#   DIST_DIR  ondrel-sign.exe, ondrel-tablet-diag.exe, the Qt and mingw DLLs, platforms/, styles/
#             (and any other plugin folders), and site/ (the sample site: userAgreement.rtf,
#             config/*.txt). Everything but site/ goes to Program Files; site/ goes to ProgramData.
#   VERSION   x.y.z; default: the project's version in CMakeLists.txt
# res/windows/ondrel-sign.wxs lays out the package; this script lists the files into it.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
if [ $# -lt 2 ]; then
    echo "usage: $0 DIST_DIR OUT.msi [VERSION]" >&2
    exit 2
fi
dist=$(cd "$1" && pwd)
out=$2
version=${3:-$(sed -n 's/^project(ondrel_sign VERSION \([0-9.]*\).*/\1/p' "$here/CMakeLists.txt")}
command -v wixl >/dev/null || { echo "make-msi: wixl not found (Debian package wixl)" >&2; exit 1; }
command -v msibuild >/dev/null || { echo "make-msi: msibuild not found (Debian package msitools)" >&2; exit 1; }
for f in ondrel-sign.exe site/userAgreement.rtf; do
    [ -e "$dist/$f" ] || { echo "make-msi: $dist/$f is missing" >&2; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Identifiers and component GUIDs follow from the file's place, so that every build gives a file the
# same component (the component rules of Windows Installer) without a table kept by hand.
upgrade_code=8C1F0B52-3E47-4D8A-9B61-2A7D5E0C9F14
ident() { printf '%s' "$1" | md5sum | cut -c1-24; }
guid() {
    local h
    h=$(printf '%s/%s' "$upgrade_code" "$1" | md5sum)
    echo "${h:0:8}-${h:8:4}-${h:12:4}-${h:16:4}-${h:20:12}" | tr a-f A-F
}
xml_escape() { sed -e 's/&/\&amp;/g' -e 's/</\&lt;/g' -e 's/>/\&gt;/g' -e 's/"/\&quot;/g' <<<"$1"; }

# list_dir ROOT REL KEY: the Directory/Component/File elements of ROOT/REL, recursively. KEY names
# the tree in identifiers (prog or site). The component's id goes to refs.wxi.
list_dir() {
    local root=$1 rel=$2 key=$3 entry name path
    for entry in "$root/${rel:+$rel/}"*; do
        [ -e "$entry" ] || continue
        name=$(basename "$entry")
        path=${rel:+$rel/}$name
        [ "$key/$path" = prog/site ] && continue
        if [ -d "$entry" ]; then
            echo "<Directory Id=\"d$(ident "$key/$path")\" Name=\"$(xml_escape "$name")\">"
            list_dir "$root" "$path" "$key"
            echo "</Directory>"
        else
            local id
            id=$(ident "$key/$path")
            echo "<Component Id=\"c$id\" Guid=\"$(guid "$key/$path")\" Win64=\"yes\">"
            echo "  <File Id=\"f$id\" Name=\"$(xml_escape "$name")\" Source=\"$(xml_escape "${entry#/}")\" KeyPath=\"yes\"/>"
            echo "</Component>"
            echo "<ComponentRef Id=\"c$id\"/>" >>"$work/refs.body"
            echo "c$id" >>"$work/$key.components"
        fi
    done
}

: >"$work/refs.body"
: >"$work/site.components"
{ echo '<Include>'; list_dir "$dist" "" prog; echo '</Include>'; } >"$work/program.wxi"
{ echo '<Include>'; list_dir "$dist/site" "" site; echo '</Include>'; } >"$work/site.wxi"
{ echo '<Include>'; cat "$work/refs.body"; echo '</Include>'; } >"$work/refs.wxi"

# wixl takes sources relative to the current folder only: every path is given from /.
out=$(cd "$(dirname "$out")" && pwd)/$(basename "$out")
(cd / && wixl -a x64 -o "$out" \
    -D Version="$version" -D ResDir="${here#/}/res/windows" \
    -D ProgramFiles="${work#/}/program.wxi" -D SiteFiles="${work#/}/site.wxi" \
    -D ComponentRefs="${work#/}/refs.wxi" \
    "$here/res/windows/ondrel-sign.wxs")
# The site is the integrator's once installed: each of its files is a component that Windows
# Installer neither puts back over an existing file (an upgrade keeps what the site changed, and
# installs only what is missing) nor removes (an uninstall leaves the site as it is). wixl has no
# attributes for that, so they are set in the package's Component table here:
# 0x100 64-bit, 0x10 permanent, 0x80 never overwrite.
site_attributes=$((0x100 | 0x10 | 0x80))
queries=()
while read -r component; do
    queries+=(-q "UPDATE \`Component\` SET \`Attributes\` = $site_attributes WHERE \`Component\` = '$component'")
done <"$work/site.components"
[ ${#queries[@]} -eq 0 ] || msibuild "$out" "${queries[@]}"
echo "make-msi: $out (version $version, $(grep -c '<ComponentRef' "$work/refs.wxi") files)"
