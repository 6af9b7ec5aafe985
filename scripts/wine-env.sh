# Sourced by the Wine scripts: the private prefix of one build tree.
# usage: . wine-env.sh <build dir>
oc_build_dir=$(cd "$1" && pwd)
export OC_WINE_DIR="$oc_build_dir/wine"
export WINEPREFIX="$OC_WINE_DIR/prefix"
export WINEARCH=win64
export WINEDEBUG=-all
# No Mono or Gecko installer prompts, no desktop menu entries.
export WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe=d"
if [ -x /usr/lib/wine/wine64 ]; then
    OC_WINE=/usr/lib/wine/wine64
    OC_WINESERVER=/usr/lib/wine/wineserver
else
    OC_WINE=$(command -v wine64 || command -v wine)
    OC_WINESERVER=$(command -v wineserver)
fi
export OC_WINE OC_WINESERVER
if [ -z "${DISPLAY:-}" ] && [ -f "$OC_WINE_DIR/display" ]; then
    DISPLAY=$(cat "$OC_WINE_DIR/display")
    export DISPLAY
fi
