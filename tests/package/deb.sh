#!/usr/bin/env bash
# The Debian package as a user gets it: built by cpack from the build tree,
# unpacked with dpkg -x into a scratch root, its two programs run from there.
#   deb.sh BUILD_DIR CPACK VERSION METAINFO_NAME
# Exits 77 (skipped) without dpkg.
set -euo pipefail
build=$1
cpack=$2
version=$3
metainfo=$4

for tool in dpkg dpkg-deb dpkg-shlibdeps timeout; do
    if ! command -v "$tool" >/dev/null; then
        echo "deb: $tool is not installed; skipped"
        exit 77
    fi
done

fail() {
    echo "deb: $*" >&2
    exit 1
}

scratch=$(cd "$(mktemp -d)" && pwd -P)
# Installing, as cpack does, rewrites the build tree's install manifest,
# which lists what `cmake --install` put on this machine: kept as it was.
manifest=$build/install_manifest.txt
restore() {
    if [[ -e "$scratch/install_manifest.txt" ]]; then
        cp -p "$scratch/install_manifest.txt" "$manifest"
    else
        rm -f "$manifest"
    fi
    rm -rf "$scratch"
}
if [[ -e "$manifest" ]]; then cp -p "$manifest" "$scratch/install_manifest.txt"; fi
trap restore EXIT

# Into the scratch folder, so the build tree gets no package and no staging.
(cd "$build" && "$cpack" --config CPackConfig.cmake -G DEB -B "$scratch/package") >"$scratch/cpack.log" 2>&1 ||
    { cat "$scratch/cpack.log" >&2; fail "cpack failed"; }
deb=$scratch/package/epinax_${version}_$(dpkg --print-architecture).deb
[[ -f "$deb" ]] || { cat "$scratch/cpack.log" >&2; fail "no $deb"; }

# The fields apt installs by, the Debian packages worked out from the programs.
[[ "$(dpkg-deb -f "$deb" Package)" == epinax ]] || fail "package name: $(dpkg-deb -f "$deb" Package)"
[[ "$(dpkg-deb -f "$deb" Version)" == "$version" ]] || fail "version: $(dpkg-deb -f "$deb" Version)"
depends=$(dpkg-deb -f "$deb" Depends)
for library in libqt6widgets6 libqt6printsupport6 libc6; do
    [[ "$depends" == *"$library"* ]] || fail "Depends does not name $library: $depends"
done
for field in Maintainer Description Section Homepage; do
    [[ -n "$(dpkg-deb -f "$deb" "$field")" ]] || fail "no $field field"
done

contents=$(dpkg-deb -c "$deb" | awk '{print $NF}')
for path in ./usr/bin/epinax ./usr/bin/epinax-cli ./usr/bin/epinax-workbook-reader \
    ./usr/share/applications/epinax.desktop \
    ./usr/share/metainfo/$metainfo ./usr/share/epinax/Help/usermanual.htm \
    ./usr/share/epinax/Help/setup.htm ./usr/share/epinax/Help/oroi.htm ./usr/share/doc/epinax/copyright \
    ./usr/share/doc/epinax/changelog.gz ./usr/share/man/man1/epinax.1.gz ./usr/share/man/el/man1/epinax.1.gz \
    ./usr/share/man/man1/epinax-cli.1.gz ./usr/share/man/man1/epinax-workbook-reader.1.gz \
    ./usr/share/bash-completion/completions/epinax-cli; do
    grep -qxF "$path" <<<"$contents" || fail "the package lacks $path"
done
for size in 16 32 48 64 128 256; do
    grep -qxF "./usr/share/icons/hicolor/${size}x${size}/apps/epinax.png" <<<"$contents" ||
        fail "the package lacks the ${size}x${size} icon"
done
grep -q "epinax-build-tree" <<<"$contents" && fail "the package carries the build tree's marker"

# Debian's own judgement of the package: not one error or warning.
if command -v lintian >/dev/null; then
    if ! judgement=$(lintian --fail-on error,warning "$deb" 2>&1); then
        echo "$judgement" >&2
        fail "lintian finds errors or warnings"
    fi
else
    echo "deb: lintian is not installed; the package was not judged by it"
fi

root=$scratch/root
dpkg -x "$deb" "$root"

# The completion as bash runs it: a command from its first letters, then
# that command's own options.
complete_line() {
    bash -c 'source /usr/share/bash-completion/bash_completion && source "$1" && shift &&
        COMP_WORDS=("$@") && COMP_CWORD=$(($# - 1)) && COMP_LINE="$*" && COMP_POINT=${#COMP_LINE} &&
        _epinax_cli && echo "${COMPREPLY[*]}"' _ "$root/usr/share/bash-completion/completions/epinax-cli" "$@"
}
if [[ -r /usr/share/bash-completion/bash_completion ]]; then
    [[ "$(complete_line epinax-cli re)" == report ]] || fail "completion of 're': $(complete_line epinax-cli re)"
    [[ "$(complete_line epinax-cli import --cu)" == --customers ]] ||
        fail "completion of 'import --cu': $(complete_line epinax-cli import --cu)"
    [[ "$(complete_line epinax-cli import --columns afm=C,na)" == afm=C,name= ]] ||
        fail "completion of '--columns afm=C,na': $(complete_line epinax-cli import --columns afm=C,na)"
fi
export HOME=$scratch/home XDG_DATA_HOME=$scratch/data XDG_RUNTIME_DIR=$scratch/runtime
mkdir -p "$HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
cd "$scratch"

help=$("$root/usr/bin/epinax-cli" --help) || fail "epinax-cli --help exited with $?"
[[ -n "$help" ]] || fail "epinax-cli --help printed nothing"

# The program shows its start window and waits: it runs until its working
# files are there, then it is ended. The folder beside it is writable, as
# in a home folder, and must stay untouched all the same.
data=$XDG_DATA_HOME/epinax
QT_QPA_PLATFORM=offscreen timeout 120 "$root/usr/bin/epinax" >"$scratch/epinax.log" 2>&1 &
program=$!
for _ in $(seq 1 600); do
    [[ -d "$data/temp" && -e "$data/epinax.lock" ]] && break
    kill -0 "$program" 2>/dev/null || break
    sleep 0.1
done
if ! kill -0 "$program" 2>/dev/null; then
    status=0
    wait "$program" || status=$?
    cat "$scratch/epinax.log" >&2
    fail "epinax ended by itself with status $status before its working files were there"
fi
kill -TERM "$program"
wait "$program" || true

[[ -d "$data/temp" ]] || fail "no working files folder $data/temp"
[[ -e "$data/epinax.lock" ]] || fail "no lock file $data/epinax.lock"
beside=$(ls -A "$root/usr/bin")
[[ "$beside" == $'epinax\nepinax-cli\nepinax-workbook-reader' ]] || fail "written beside the installed program: $beside"
echo "deb: $(basename "$deb") builds, unpacks and runs"
