#!/usr/bin/env bash
# Installs the Debian packages the project builds, runs and tests with, when missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config ccache
  qt6-base-dev qt6-webengine-dev qt6-tools-dev qt6-tools-dev-tools qt6-translations-l10n qt6-l10n-tools
  libqt6svg6 libgl-dev
  libcurl4-openssl-dev libcpp-httplib-dev zlib1g-dev curl libicu-dev
  ca-certificates openssl
  fonts-liberation fonts-comic-neue
  xvfb xauth x11-utils xdotool imagemagick poppler-utils iproute2
  # What a screen reader reads the program through, and Qt's switch that turns accessibility
  # reports on in the in-process tests.
  dbus-bin dbus-daemon at-spi2-core gir1.2-atspi-2.0 python3-gi qt6-base-private-dev
  # The Debian package and the tools that check it.
  dpkg-dev lintian desktop-file-utils appstream man-db
  libbenchmark-dev
  # Coordinate systems (PROJ with its database, GeographicLib), the map page's Leaflet and its
  # bridge to the program, and what the exports and the page's script are checked with.
  libproj-dev proj-bin proj-data libgeographiclib-dev geographiclib-tools
  # XLSX and ODS workbooks are zip files: QuaZip reads and writes them on Qt's devices.
  libquazip1-qt6-dev
  libjs-leaflet qt6-webchannel-dev
  # The map page clusters the user's places with Leaflet's marker clusters.
  libjs-leaflet.markercluster
  gpsbabel libxml2-utils eslint
  # Qt's SQLite driver: the user's places' store, and the journal that lets the geocoding of a
  # file of addresses go on after a crash. GDAL's ogrinfo/ogr2ogr read back the places' exports
  # in the tests.
  libqt6sql6-sqlite gdal-bin
  clang clang-format libclang-rt-14-dev
  g++-mingw-w64-x86-64
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installation des paquets manquants : ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
