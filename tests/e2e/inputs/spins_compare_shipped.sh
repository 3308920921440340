# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by the cases that rebuild the shipped example inputs from the raw
# NMR-STAR 2.1 entries: compare_with_shipped ENTRY PROTEIN extracts ENTRY from
# data/raw, converts it with both shipped atom selections, with and without
# --hide-types, and says for each whether the spin systems equal those of
# data/protein_PROTEIN_*.xml (the comment line and the name attributes, which
# kestrin ignores, aside) and whether kestrin's reports on both are the same.
compare_with_shipped() {
  entry=$1
  protein=$2
  work=$(mktemp -d)
  tar -xJf "$DATA/raw/shiftx2_testset_corrected_str.tar.xz" -C "$work" "$entry" || return 1
  (
    cd "$work" || exit 1
    for atoms in backbone full; do
      # -cfpd on every full-atom spin system takes seconds; the other models are quick.
      models="-cfpi -cfpd -cspi -cspd"
      [ "$atoms" = full ] && models="-cfpi -cspi -cspd"
      for variant in "" _unk; do
        hide=""
        [ -n "$variant" ] && hide=--hide-types
        shipped=$DATA/protein_${protein}_$atoms$variant.xml
        kestrin-spins $hide -af "$DATA/atoms_$atoms.txt" "$entry" >made.xml || exit 1
        sed -e '/^<!--/d' -e 's/ name="[^"]*"//' made.xml >made.bare
        sed -e '/^<!--/d' -e 's/ name="[^"]*"//' "$shipped" >shipped.bare
        same=different
        cmp -s made.bare shipped.bare && same="the same"
        kestrin $models -sf "$DATA/stats_$atoms.txt" -af "$DATA/atoms_$atoms.txt" <made.xml >made.report
        kestrin $models -sf "$DATA/stats_$atoms.txt" -af "$DATA/atoms_$atoms.txt" <"$shipped" >shipped.report
        reports=different
        cmp -s made.report shipped.report && reports="the same"
        echo "protein_${protein}_$atoms$variant.xml: $(grep -c '^<res ' made.xml) spin systems, $same;" \
          "kestrin $models: $(wc -l <made.report) report lines, $reports"
      done
    done
  )
  status=$?
  rm -rf "$work"
  return $status
}
