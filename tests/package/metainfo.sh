#!/usr/bin/env bash
# The metainfo as software centres read it, without reaching the network,
# and its newest release the program's version. Exits 77 (skipped) without
# appstream.
#   metainfo.sh METAINFO_FILE VERSION
set -euo pipefail
metainfo=$1
version=$2
if ! command -v appstreamcli >/dev/null; then
    echo "metainfo: appstreamcli is not installed; skipped"
    exit 77
fi
appstreamcli validate --no-net --no-color "$metainfo"
newest=$(grep -o '<release version="[^"]*"' "$metainfo" | head -n 1 | cut -d'"' -f2)
if [[ "$newest" != "$version" ]]; then
    echo "metainfo: the newest release is $newest, the program is $version: add its release" >&2
    exit 1
fi
