#!/usr/bin/env bash
# Fails when any .exe or .dll of the build tree imports a mingw runtime DLL.
set -euo pipefail
build=$1
bad=0
count=0
while IFS= read -r -d '' file; do
    count=$((count + 1))
    if x86_64-w64-mingw32-objdump -p "$file" | grep -iE 'DLL Name: *(libstdc\+\+|libgcc|libwinpthread)' ; then
        echo "imports a mingw runtime DLL: $file"
        bad=1
    fi
done < <(find "$build" \( -path "$build/wine" -prune \) -o \( -name '*.exe' -o -name '*.dll' \) -type f -print0)
echo "checked $count binaries"
exit $bad
