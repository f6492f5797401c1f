#!/usr/bin/env bash
# Checks what installing puts on a machine, and the Debian package made from the same build.
# Usage: package_check.sh install|deb BUILD_DIR
#   install  cmake --install into a temporary DESTDIR; the desktop entry and the metainfo pass
#            their validators, every theme icon has its size, the entry's program and icon exist
#   deb      cpack into a temporary folder; the package's fields and files, and lintian
set -euo pipefail

mode=${1:?install or deb}
build=${2:?the build folder}
: "${NYARUMI_VERSION:?the project version}"

tmp=$(mktemp -d "${TMPDIR:-/tmp}/nyarumi-package.XXXXXX")
trap 'rm -rf "$tmp"' EXIT

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

ICON_SIZES=(16 32 48 64 128 256)
# Paths below the prefix that both the install and the package must hold.
FILES=(bin/nyarumi share/applications/nyarumi.desktop
       share/metainfo/org.example.nyarumi.metainfo.xml share/man/man6/nyarumi.6.gz
       share/doc/nyarumi/copyright share/doc/nyarumi/changelog.gz)
for size in "${ICON_SIZES[@]}"; do
  FILES+=("share/icons/hicolor/${size}x${size}/apps/nyarumi.png")
done

check_install() {
  local root=$tmp/root usr=$tmp/root/usr f size icon
  DESTDIR=$root cmake --install "$build" --prefix /usr >/dev/null
  for f in "${FILES[@]}"; do
    [ -f "$usr/$f" ] || fail "not installed: /usr/$f"
  done
  [ -x "$usr/bin/nyarumi" ] || fail "/usr/bin/nyarumi is not executable"

  # Hints and warnings count too: the validator only fails on errors.
  f=$(desktop-file-validate "$usr/share/applications/nyarumi.desktop" 2>&1) &&
    [ -z "$f" ] || fail "desktop-file-validate: $f"
  appstreamcli validate --no-net "$usr/share/metainfo/org.example.nyarumi.metainfo.xml" ||
    fail "appstreamcli rejects the metainfo"
  grep -qx 'Exec=nyarumi' "$usr/share/applications/nyarumi.desktop" || fail "Exec is not nyarumi"
  grep -qx 'Icon=nyarumi' "$usr/share/applications/nyarumi.desktop" || fail "Icon is not nyarumi"
  grep -q '<launchable type="desktop-id">nyarumi.desktop</launchable>' \
    "$usr/share/metainfo/org.example.nyarumi.metainfo.xml" || fail "metainfo launches another entry"
  grep -q "<release version=\"$NYARUMI_VERSION\"" \
    "$usr/share/metainfo/org.example.nyarumi.metainfo.xml" || fail "no release $NYARUMI_VERSION"
  gzip -t "$usr/share/man/man6/nyarumi.6.gz" || fail "the manual page is not gzip"

  # Exactly the six sizes, each a square RGBA PNG of its folder's size.
  [ "$(find "$usr/share/icons" -type f | wc -l)" -eq ${#ICON_SIZES[@]} ] ||
    fail "other icon files than the ${#ICON_SIZES[@]} sizes"
  for size in "${ICON_SIZES[@]}"; do
    icon=$usr/share/icons/hicolor/${size}x${size}/apps/nyarumi.png
    file -b "$icon" | grep -q "^PNG image data, $size x $size, 8-bit/color RGBA" ||
      fail "icon ${size}x$size is $(file -b "$icon")"
  done
}

check_deb() {
  local deb info contents f
  (cd "$build" && cpack -G DEB -B "$tmp" >"$tmp/cpack.log" 2>&1) || {
    cat "$tmp/cpack.log" >&2
    fail "cpack failed"
  }
  deb=$tmp/nyarumi_${NYARUMI_VERSION}_$(dpkg --print-architecture).deb
  [ -f "$deb" ] || fail "no $(basename "$deb")"

  info=$(dpkg-deb --field "$deb")
  grep -qx 'Package: nyarumi' <<<"$info" || fail "package name"
  grep -qx "Version: $NYARUMI_VERSION" <<<"$info" || fail "version is not $NYARUMI_VERSION"
  # Found by dpkg-shlibdeps: the C library and the X11 client libraries of the native backend;
  # named by hand: a Japanese font.
  for f in 'fonts-ipafont-gothic | fonts-noto-cjk' 'libc6 (>= ' 'libx11-6' 'libfreetype6' 'libxrender1' 'libxcb1'; do
    grep '^Depends:' <<<"$info" | grep -qF "$f" || fail "Depends lacks $f: $(grep '^Depends:' <<<"$info")"
  done

  contents=$(dpkg-deb --contents "$deb" | awk '{print $1, $2, $NF}')
  for f in "${FILES[@]}"; do
    grep -q " \./usr/$f\$" <<<"$contents" || fail "package lacks /usr/$f"
  done
  grep -q '^-rwxr-xr-x root/root \./usr/bin/nyarumi$' <<<"$contents" ||
    fail "/usr/bin/nyarumi is not an executable owned by root"
  dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/bin/nyarumi >"$tmp/nyarumi"
  file -b "$tmp/nyarumi" | grep -q 'ELF.*, stripped' || fail "the packaged binary is not stripped"

  lintian --fail-on error "$deb" ||
    fail "lintian reports errors"
}

case $mode in
  install) check_install ;;
  deb) check_deb ;;
  *) fail "unknown mode $mode" ;;
esac
