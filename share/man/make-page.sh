#!/usr/bin/env bash
# make-page.sh <scdoc> <page.scd> <changelog> <page.gz>: turns a manual page written for scdoc into
# the installed page, gzipped as Debian wants it (-9n: the same bytes on every build).
set -euo pipefail
scdoc=$1
source=$2
changelog=$3
output=$4

# The page is dated by the latest release in the changelog, not by the day of the build.
released=$(sed -n '/^ -- /{s/^ -- .*>  //p;q}' "$changelog")
export SOURCE_DATE_EPOCH
SOURCE_DATE_EPOCH=$(date -u -d "$released" +%s)

# groff knows no Chinese line breaking: Chinese text after the NAME section (which the whatis
# database reads as it stands) gets break points between its characters (never before closing nor
# after opening punctuation), and a source line break inside Chinese text adds no space. scdoc's .nh
# comes before .TH, which turns hyphenation back on; option and format names must never be split.
"$scdoc" <"$source" | perl -Mutf8 -CSD -ne '
    BEGIN {
        $han = qr/\p{sc=Han}/;
        $opening = qr/[（「《]/;
        $closing = qr/[，。、；：！？）」》]/;
    }
    my $text = !/^[.\x27]/;
    $sections++ if /^\.SH/;
    if ($text && $sections > 1) {
        s/(?<=$han|$closing)(?=$han|$opening|[A-Za-z0-9])|(?<=[A-Za-z0-9])(?=$han|$opening)/\\:/g;
        if (defined $held && /^(?:$han|$opening)/) {
            $held =~ s/(?<=$han|$closing)\n\z/\\:/ or $held =~ s/(?<=$opening)\n\z//;
        }
    }
    s/^(\.TH .*)$/$1\n.nh/;
    print $held if defined $held;
    $held = $text ? $_ : undef;
    print unless $text;
    END { print $held if defined $held }
' | gzip -9n >"$output"
