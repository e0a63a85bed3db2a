#!/usr/bin/env bash
# Makes the game's Data folder: runs the generator, lays out its output and the
# authored assets as the game reads them, and packs the packable files with the
# pack tool exactly as the makers do.
#   make_data.sh DATAGEN CRATEFORGE SOURCE_DIR BUILD_DIR
# Incremental: files are copied only when their bytes changed, and the packs are
# rebuilt only when one of their inputs changed. Deterministic: the generator and
# the pack tool both give the same bytes for the same sources.
set -euo pipefail

datagen=$1
crateforge=$2
src=$3
build=$4
gen=$build/datagen          # generator output, mirroring Data/ (packable files in pack/)
stage=$build/datagen-stage  # flat folder the pack tool runs in
data=$build/bin/Data

# The generator's libraries keep a few caches alive until exit; that is not our leak.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0}
mkdir -p "$stage" "$data"
# A fresh output folder each run, so a file the generator no longer makes cannot
# linger and slip into a pack; unchanged bytes still leave Data/ and the packs alone.
rm -rf "$gen.new"
"$datagen" "$gen.new"
rm -rf "$gen"
mv "$gen.new" "$gen"

# copy_if_changed FROM TO: copies and keeps TO's timestamp when the bytes match.
copy_if_changed() {
    if ! cmp -s "$1" "$2"; then
        mkdir -p "$(dirname "$2")"
        cp "$1" "$2"
    fi
}

# Loose files: everything outside pack/ keeps its path under Data/.
# The generator's files first, then the authored ones (authored sources win).
# assets/art holds drawing sources, not game data; desktop/ holds the icons the
# install puts into the icon theme; notes and scripts stay out too (the licence file
# goes along with the data).
declare -A wanted=()
for root in "$gen" "$src/assets"; do
    [ -d "$root" ] || continue
    while IFS= read -r -d '' file; do
        rel=${file#"$root"/}
        case $rel in
            pack/* | art/* | desktop/* | *.py | *.sh) continue ;;
            LICENSES.md) ;;
            *.md) continue ;;
        esac
        copy_if_changed "$file" "$data/$rel"
    done < <(find "$root" -type f -print0 | sort -z)
done

# Staging: the packable files side by side, as the pack tool expects them.
for root in "$gen/pack" "$src/assets/pack"; do
    [ -d "$root" ] || continue
    while IFS= read -r -d '' file; do
        name=${file##*/}
        wanted[$name]=1
        copy_if_changed "$file" "$stage/$name"
    done < <(find "$root" -maxdepth 1 -type f -print0 | sort -z)
done
for root in "$gen/Sounds" "$src/assets/Sounds"; do
    [ -d "$root" ] || continue
    while IFS= read -r -d '' file; do
        name=${file##*/}
        wanted[$name]=1
        copy_if_changed "$file" "$stage/$name"
    done < <(find "$root" -maxdepth 1 -type f -name '*.ogg' -print0 | sort -z)
done
# Files that are no longer made leave the staging folder (never the packs' own).
while IFS= read -r -d '' file; do
    name=${file##*/}
    case $name in *.dat) continue ;; esac
    [ -n "${wanted[$name]:-}" ] || rm -f "$file"
done < <(find "$stage" -maxdepth 1 -type f -print0)

# Pack only when an input is newer than the newest pack or a pack is missing.
stamp=$stage/.packed
if [ ! -f "$stamp" ] || [ -n "$(find "$stage" -maxdepth 1 -type f ! -name '*.dat' ! -name .packed -newer "$stamp" -print -quit)" ] ||
    [ "$(find "$stage" -maxdepth 1 -type f ! -name '*.dat' ! -name .packed | wc -l)" != "$(cat "$stamp")" ]; then
    rm -f "$stage"/*.dat
    (cd "$stage" && "$crateforge" >"$build/crateforge.log")
    find "$stage" -maxdepth 1 -type f ! -name '*.dat' ! -name .packed | wc -l >"$stamp"
fi
for pack in targa.dat jpeg.dat texts.dat sounds.dat; do
    if [ -f "$stage/$pack" ]; then
        copy_if_changed "$stage/$pack" "$data/$pack"
    else
        rm -f "$data/$pack"
    fi
done
