#!/usr/bin/env bash
# Converts a fixed set of simulated sessions (and the bundled sample) and checks that every
# output is byte for byte what the reference build wrote, apart from the date in the
# PGM / RUN BY / DATE lines. The references are kept as SHA-256 sums, one line per file.
#
#   scripts/output-regression.sh check  BUILD_DIR [SUMS]   exit 1 and name each file that differs
#   scripts/output-regression.sh record BUILD_DIR [SUMS]   write SUMS anew (after a deliberate change)
#
# SUMS defaults to tests/golden/output-sums.txt. KEEP=DIR keeps the converted files in DIR.
set -euo pipefail
mode="${1:?usage: output-regression.sh check|record BUILD_DIR [SUMS]}"
build="${2:?build directory}"
root="$(cd "$(dirname "$0")/.." && pwd)"
sums="${3:-$root/tests/golden/output-sums.txt}"
build="$(cd "$build" && pwd)"
sim="$build/tools/kelvrant-simulate"
exe="$build/src/kelvrant"
work="${KEEP:-$(mktemp -d)}"
mkdir -p "$work"
[ -n "${KEEP:-}" ] || trap 'rm -rf "$work"' EXIT

# Header settings as a surveyor fills them: every option on, the position from the data.
full_ini() {
    cat <<'EOF'
[WINDOWS]
MAINWIN=0,-1,-1,-1,-1

[RINEXDAT]
SITE_NAME=KELVRANT TEST
SITE_NUMBER=12345M001
CREATE_AGENCY=KELVRANT
OBSERVER=OBSERVER
OBSERVER_AGENCY=AGENCY
COMMENT1=FIRST COMMENT
COMMENT2=
COMMENT3=THIRD COMMENT
RCVR_TYPE=ASHTECH
RCVR_SERNUM=RX1234
RCVR_VER=1.0
ANT_TYPE=ASH700936D_M
ANT_SERNUM=ANT77
APPROX_POS=1,0.0000,0.0000,0.0000
ANT_OFFSETS=1.2345,0.0010,-0.0020,0.0000,0.0000
WRITE_EPINT=Yes
WRITE_SATS=Yes
MS_OBS_HANDLING=Yes
SMOOTH_CODE=Yes
WRITE_SITE_CHNGS=Yes
ALLOW_DOPLR=Yes
METCMT1=MET COMMENT
METCMT2=
METCMT3=
MET_PRESS_MOD=PTB220
MET_PRESS_TYP=BARO
MET_PRESS_ACC=0.1
MET_PRESS_POS=4189980.3347,551621.3759,4761521.2959
MET_TEMP_MOD=HMP45
MET_TEMP_TYP=THERM
MET_TEMP_ACC=0.2
MET_TEMP_POS=1,4189980.3347,551621.3759,4761521.2959
MET_HUMID_MOD=HMP45
MET_HUMID_TYP=HYGRO
MET_HUMID_ACC=2.0
MET_HUMID_POS=0,0.0000,0.0000,0.0000
MET_UTC_2_GPS=18.0
EOF
}

# What a fresh configuration held before any default was changed: every option off.
plain_ini() {
    full_ini | sed -e 's/=Yes$/=No/' -e 's/^APPROX_POS=1/APPROX_POS=0/' \

}

# case name | configuration | simulator options | kelvrant arguments (B E S ION are the
# simulated session's files; the sample case uses the bundled files)
cases=(
"sample|full|SAMPLE|-I BKELVA26.342 EKELVA26.342 SKELVA26.342 ION26.342"
"sample_met|full|SAMPLE|-M A26342.NMA KELV3421.26M 2448 208800"
"g12_type1_jump|plain|--receiver G12 --data-type 1 --interval 1 --length 1200 --clock-jump 600 --seed 7|-I B E"
"gg24_type3_jump|full|--receiver GG24 --glonass --data-type 3 --interval 1 --length 900 --clock-jump 300 --seed 8|-I B E S ION"
"z18_type6_events|full|--receiver Z18 --glonass --data-type 6 --interval 5 --length 1800 --moving 20,40 --site-change 100,SIT2 --seed 9|-I B E S ION"
"z18_type6_raw_nosites|full|--receiver Z18 --glonass --data-type 6 --interval 5 --length 1800 --moving 20,40 --site-change 100,SIT2 --seed 9|-I B E S ION -S 0 -C 0"
"uz12_type2_raw|full|--receiver UZ-12 --data-type 2 --interval 10 --length 3600 --seed 10|-I B E S -S 0"
"ggxxiv_type4|plain|--receiver GG-XXIV --glonass --data-type 4 --interval 15 --length 3600 --seed 11|-I B E S ION"
"g12_type5_quality|full|--receiver G12 --data-type 5 --interval 30 --length 7200 --quality 20 --seed 12|-I B E"
"gg24_type1_badeph|full|--receiver gg24 --glonass --data-type 1 --interval 30 --length 3600 --bad-ephemeris --seed 13|-I B E S ION"
"gg24_week_crossing|full|--receiver GG24 --glonass --data-type 3 --start 597600 --length 14400 --interval 30 --seed 14|-I B E S ION"
"z18_midnight_met|full|--receiver Z18 --glonass --data-type 6 --start 79200 --length 10800 --interval 20 --met --seed 15|-I B E S ION"
"z18_midnight_met_log|full|--receiver Z18 --glonass --data-type 6 --start 79200 --length 10800 --interval 20 --met --seed 15|-M MET OUT.26M 2448 79200"
"g12_2hz|full|--receiver G12 --data-type 2 --interval 0.5 --length 300 --seed 16|-I B E"
)

out_lines=()
for c in "${cases[@]}"; do
    IFS='|' read -r name ini simopts args <<<"$c"
    dir="$work/$name"
    rm -rf "$dir"; mkdir -p "$dir/bin"
    # A portable install: the program uses the Kelvrant.INI beside it.
    cp "$exe" "$dir/bin/kelvrant"
    if [ "$ini" = full ]; then full_ini >"$dir/bin/Kelvrant.INI"; else plain_ini >"$dir/bin/Kelvrant.INI"; fi
    if [ "$simopts" = SAMPLE ]; then
        cp "$root"/samples/* "$dir/"
    else
        # shellcheck disable=SC2086
        "$sim" $simopts --site SIMU --session A --week 2448 --out "$dir" >/dev/null
        b=$(cd "$dir" && ls B* | head -1); e="E${b#B}"; s="S${b#B}"
        ion=$(cd "$dir" && ls ION* 2>/dev/null | head -1 || true)
        met=$(cd "$dir" && ls *.NMA 2>/dev/null | head -1 || true)
        args=$(printf '%s' "$args" | sed -e "s/\bB\b/$b/" -e "s/\bE\b/$e/" -e "s/\bS\b/$s/" \
                                         -e "s/\bION\b/${ion:-ION}/" -e "s/\bMET\b/${met:-MET}/")
    fi
    before=$(cd "$dir" && ls)
    set +e
    # shellcheck disable=SC2086
    (cd "$dir" && env -u DISPLAY -u WAYLAND_DISPLAY -u KELVRANT_CONFIG ./bin/kelvrant $args >stdout.txt 2>stderr.txt)
    rc=$?
    set -e
    out_lines+=("$name exit $rc")
    for f in $(cd "$dir" && ls); do
        case " $before stdout.txt stderr.txt bin " in *" $f "*) continue ;; esac
        sum=$(sed -E '/PGM \/ RUN BY \/ DATE *\r?$/ s/^(.{40}).{20}/\1--------------------/' \
              "$dir/$f" | sha256sum | cut -d' ' -f1)
        out_lines+=("$name $f $sum")
    done
done

if [ "$mode" = record ]; then
    mkdir -p "$(dirname "$sums")"
    printf '%s\n' "${out_lines[@]}" >"$sums"
    echo "recorded ${#out_lines[@]} lines in $sums"
    exit 0
fi

if diff <(cat "$sums") <(printf '%s\n' "${out_lines[@]}") >"$work/diff.txt"; then
    echo "output regression: all ${#cases[@]} cases byte-identical"
else
    echo "output regression: outputs differ from the reference (< reference, > now):" >&2
    cat "$work/diff.txt" >&2
    echo "(KEEP=DIR $0 check ... keeps the files for a look)" >&2
    exit 1
fi
