# Sourced by the scripts that build a Debian source package for Windows.
# debian_source PACKAGE[=VERSION] DEST [WORK]: unpacks the Debian source of PACKAGE into DEST
# (unless DEST already holds it), fetched with apt-get through a private deb-src list that
# mirrors this machine's own Debian entries (same mirror, release and keyring); the machine's
# apt configuration is left alone. WORK (default: DEST.apt) keeps the lists and the download.
debian_source() {
    local package=$1 dest=$2 work=${3:-$2.apt}
    [ -f "$dest/debian/control" ] && return 0
    command -v dpkg-source >/dev/null || { echo "dpkg-source is missing (dpkg-dev)" >&2; return 1; }
    mkdir -p "$work/lists/partial" "$work/parts"
    debian_source_list >"$work/parts/debian-src.sources"
    [ -s "$work/parts/debian-src.sources" ] ||
        { echo "no Debian entry in /etc/apt/sources.list(.d) to take the mirror from" >&2; return 1; }
    local options=(-q -o Dir::Etc::SourceList=/dev/null -o Dir::Etc::SourceParts="$work/parts"
                   -o Dir::State::Lists="$work/lists" -o Dir::Cache="$work/cache")
    # apt checks the download against the mirror's signed lists; what it and dpkg-source say
    # (root's unsandboxed download, the .dsc's own signature by a key not installed) goes to
    # a log, shown when a step fails.
    local log=$work/fetch.log
    rm -f "$work"/*.dsc
    if ! { apt-get "${options[@]}" update &&
        (cd "$work" && apt-get "${options[@]}" source --download-only "$package"); } >"$log" 2>&1; then
        cat "$log" >&2
        return 1
    fi
    local dsc=("$work"/*.dsc)
    rm -rf "$dest"
    dpkg-source -x "${dsc[0]}" "$dest" >>"$log" 2>&1 || { cat "$log" >&2; return 1; }
}

# debian_source_list: prints, in deb822 form, a deb-src entry for each Debian entry of this
# machine's apt sources (one-line lists and deb822 files), keeping its mirror, suites,
# components and keyring. Third-party entries (whose suites are not this release) are left out.
debian_source_list() {
    local codename
    codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
    [ -n "$codename" ] || codename=$(lsb_release -cs 2>/dev/null || true)
    {
        local f
        for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
            [ -f "$f" ] || continue
            # deb [options] URI SUITE COMPONENT...
            awk '$1 == "deb" {
                    signed = ""; i = 2
                    if ($2 ~ /^\[/) {
                        for (; i <= NF; i++) {
                            if ($i ~ /^\[?signed-by=/) { s = $i; sub(/^\[?signed-by=/, "", s); sub(/\]$/, "", s); signed = s }
                            if ($i ~ /\]$/) { i++; break }
                        }
                    }
                    comps = ""; for (j = i + 2; j <= NF; j++) comps = comps " " $j
                    printf "%s\t%s\t%s\t%s\n", $i, $(i + 1), substr(comps, 2), signed
                 }' "$f"
        done
        for f in /etc/apt/sources.list.d/*.sources; do
            [ -f "$f" ] || continue
            # Stanzas separated by blank lines; fields Types, URIs, Suites, Components, Signed-By.
            awk 'function flush() {
                     if (types ~ /(^| )deb( |$)/ && enabled != "no")
                         for (n = split(uris, u, " "); n > 0; n--)
                             for (m = split(suites, s, " "); m > 0; m--)
                                 printf "%s\t%s\t%s\t%s\n", u[n], s[m], comps, signed
                     types = uris = suites = comps = signed = enabled = ""
                 }
                 /^[ \t]*#/ { next }
                 /^[ \t]*$/ { flush(); next }
                 { key = tolower($1); sub(/:$/, "", key); $1 = ""; sub(/^ /, "")
                   if (key == "types") types = $0; else if (key == "uris") uris = $0
                   else if (key == "suites") suites = $0; else if (key == "components") comps = $0
                   else if (key == "signed-by") signed = $0; else if (key == "enabled") enabled = tolower($0) }
                 END { flush() }' "$f"
        done
    } | awk -F '\t' -v codename="$codename" '
        ($2 == codename || index($2, codename "-") == 1) && !seen[$1 FS $2]++ {
            printf "Types: deb-src\nURIs: %s\nSuites: %s\nComponents: %s\n", $1, $2, $3
            if ($4 != "") printf "Signed-By: %s\n", $4
            printf "\n"
        }'
}
