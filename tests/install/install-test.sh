#!/bin/bash
# install-test.sh BUILD SOURCE
# Installs the build into a temporary prefix and builds the Debian package
# (once), unpacks it into a temporary root, and checks that both programs run
# from each place and find their plug-ins and help page: quorvan-optimize
# writes the same files over examples/site/ as the build tree's, with no
# plug-in missing. Also: the package's Depends, lintian (where installed),
# the desktop entry, the manual pages, and one version everywhere (the
# program's --version, the package, the manual pages and their sources).
set -euo pipefail
build=$(cd "$1" && pwd)
source=$(cd "$2" && pwd)
site=$source/examples/site
work=$(mktemp -d)
trap 'rm -rf -- "$work"' EXIT
failures=0

fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# The one version: the program's, which the package and the manual pages repeat.
version=$("$build/bin/quorvan-optimize" --version | sed -n 's/^quorvan-optimize (Quorvan Web Optimizer) //p')
[[ $version =~ ^[0-9]+\.[0-9]+\.[0-9]+$ ]] || fail "quorvan-optimize --version gives \"$version\""
for page in "$source"/docs/*.1; do
    grep -q "^\.TH .*\"Quorvan Web Optimizer $version\"" "$page" || fail "$page does not give version $version"
done

# The reference: the build tree's program over the sample site.
"$build/bin/quorvan-optimize" -o "$work/reference/" "$site" >"$work/reference.txt" 2>"$work/reference.err" ||
    fail "the build tree's run: $(cat "$work/reference.err")"
[ -n "$(ls -A "$work/reference")" ] || fail "the build tree's run wrote nothing"

# check_installed NAME BIN SUPPORT: the programs in BIN, their private folder SUPPORT.
check_installed() {
    local name=$1 bin=$2 support=$3
    for file in "$bin/quorvan-optimize" "$bin/quorvan-web-optimizer" "$support/cscript" \
        "$support/plugins/jhead.exe" "$support/plugins/pngout.exe"; do
        [ -x "$file" ] || fail "$name: $file is missing or not executable"
    done
    for file in "$support/cscript-server.cjs" "$support/help.html" "$support/plugins/ESC.wsf"; do
        [ -f "$file" ] || fail "$name: $file is missing"
    done
    for tool in oxipng esbuild; do
        if [ -x "$build/bin/plugins/$tool" ] && ! [ -x "$support/plugins/$tool" ]; then
            fail "$name: $tool is missing"
        fi
    done
    if [ -x "$build/bin/plugins/esbuild" ] && ! [ -f "$support/plugins/esbuild-api.js" ]; then
        fail "$name: esbuild-api.js is missing"
    fi

    # Run from elsewhere, so that nothing is found in the current folder.
    (cd "$work" && "$bin/quorvan-optimize" -o "$work/$name-out/" "$site") >"$work/$name.txt" 2>"$work/$name.err" ||
        fail "$name: the run failed: $(cat "$work/$name.err")"
    if [ -s "$work/$name.err" ]; then fail "$name: the run complained: $(cat "$work/$name.err")"; fi
    diff -r "$work/reference" "$work/$name-out" >/dev/null || fail "$name: the outputs differ from the build tree's"
    cmp -s "$work/reference.txt" "$work/$name.txt" || fail "$name: the table differs from the build tree's"

    local help
    help=$(cd "$work" && QT_QPA_PLATFORM=offscreen "$bin/quorvan-web-optimizer" --help 2>&1) ||
        fail "$name: the window program's --help failed: $help"
    local plugins help_page
    plugins=$(sed -n 's/^Plug-ins: //p' <<<"$help")
    help_page=$(sed -n 's/^Help page: //p' <<<"$help")
    [ "$plugins" = "$(realpath "$support/plugins")/" ] || fail "$name: the window reads plug-ins from \"$plugins\""
    [ "$help_page" = "$(realpath "$support/help.html")" ] || fail "$name: the window's help page is \"$help_page\""
    QT_QPA_PLATFORM=offscreen "$bin/quorvan-web-optimizer" --version | grep -q "Quorvan Web Optimizer" ||
        fail "$name: the window program's --version"
}

# check_shared NAME SHARE: manual pages and desktop entry.
check_shared() {
    local name=$1 share=$2
    for page in quorvan-optimize quorvan-web-optimizer; do
        local text
        text=$(MANWIDTH=80 man -l "$share/man/man1/$page.1.gz" 2>&1 | col -b) || fail "$name: man $page"
        grep -q "^NAME" <<<"$text" || fail "$name: $page.1.gz does not read as a manual page"
        grep -q "Quorvan Web Optimizer $version" <<<"$text" || fail "$name: $page.1.gz does not give version $version"
    done
    [ -f "$share/icons/hicolor/scalable/apps/quorvan-web-optimizer.svg" ] || fail "$name: the icon is missing"
    local desktop=$share/applications/quorvan-web-optimizer.desktop
    [ -f "$desktop" ] || fail "$name: the desktop entry is missing"
    grep -qx 'Exec=quorvan-web-optimizer %F' "$desktop" || fail "$name: the desktop entry does not pass its files"
    grep -qx 'Icon=quorvan-web-optimizer' "$desktop" || fail "$name: the desktop entry names no icon"
    for size in 32 64 256; do
        [ -f "$share/icons/hicolor/${size}x${size}/apps/quorvan-web-optimizer.png" ] || fail "$name: no $size px icon"
    done
    if command -v desktop-file-validate >/dev/null; then
        desktop-file-validate "$desktop" || fail "$name: desktop-file-validate"
    fi
}

# 1. cmake --install into a prefix.
cmake --install "$build" --prefix "$work/prefix" >"$work/install.log" || fail "cmake --install: $(cat "$work/install.log")"
check_installed prefix "$work/prefix/bin" "$work/prefix/lib/quorvan-web-optimizer"
check_shared prefix "$work/prefix/share"

# 2. The Debian package, unpacked.
if command -v dpkg-deb >/dev/null; then
    (cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/package") >"$work/cpack.log" 2>&1 ||
        fail "cpack: $(cat "$work/cpack.log")"
    deb=$(ls "$work"/package/*.deb)
    dpkg-deb -x "$deb" "$work/root"
    check_installed package "$work/root/usr/bin" "$work/root/usr/lib/quorvan-web-optimizer"
    check_shared package "$work/root/usr/share"
    [ -f "$work/root/usr/share/doc/quorvan-web-optimizer/copyright" ] || fail "package: no copyright file"

    [[ $(dpkg-deb -f "$deb" Version) == "$version-"* ]] || fail "package: version $(dpkg-deb -f "$deb" Version)"
    depends=$(dpkg-deb -f "$deb" Depends)
    for package in libqt6widgets6 libstdc++6 libpng16-16 libjpeg62-turbo libgif7 libxxhash0 jhead libjpeg-turbo-progs optipng zopfli nodejs node-terser; do
        sed 's/, /\n/g; s/ *([^)]*)//g' <<<"$depends" | grep -Fqx "$package" || fail "package: Depends lacks $package: $depends"
    done
    # `make run` installs the tools the package depends on by name.
    run_set=$(bash "$source/scripts/install-deps.sh" --list run)
    for package in $(sed 's/, /\n/g; s/ *([^)]*)//g' <<<"$depends" | grep -vE '^lib.*[0-9]|^zlib1g$'); do
        grep -Fqx "$package" <<<"$run_set" || fail "install-deps.sh run lacks $package, which the package depends on"
    done
    for file in "$work/root/usr/bin/"* "$work/root/usr/lib/quorvan-web-optimizer/cscript" \
        "$work/root/usr/lib/quorvan-web-optimizer/plugins/"*.exe; do
        file "$file" | grep -q "not stripped" && fail "package: $file is not stripped"
    done

    if command -v lintian >/dev/null; then
        lintian --fail-on error "$deb" >"$work/lintian.txt" 2>&1 ||
            fail "lintian: $(cat "$work/lintian.txt")"
        cat "$work/lintian.txt"
    else
        echo "lintian is not installed: not run"
    fi
else
    echo "dpkg-deb is not installed: the package is not checked"
fi

if ((failures > 0)); then
    echo "$failures check(s) failed" >&2
    exit 1
fi
echo "install and package: all checks passed"
