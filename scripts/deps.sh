#!/usr/bin/env bash
# Installs, from Debian's packages, whatever of Verbolt's build and test tools is missing.
# Runs as root on Debian 12; does nothing when everything is already there.
set -euo pipefail
packages=(cmake ninja-build g++ qt6-base-dev libgl-dev libgtest-dev libgmock-dev
          libbenchmark-dev xvfb
          # the exchange formats: XML, writing and reading workbooks
          libexpat1-dev libxlsxwriter-dev libminizip-dev pkg-config
          # the command line's allocator
          libjemalloc-dev
          # spelling: the library and the six languages' dictionaries
          libhunspell-dev hunspell-fr hunspell-en-us hunspell-en-gb hunspell-it hunspell-es hunspell-de-de
          hunspell-pt-pt
          xauth fonts-dejavu-core
          # checking what is installed (scripts/check-install.sh) and packaging it (cpack)
          desktop-file-utils appstream man-db groff dpkg-dev "$@")
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
