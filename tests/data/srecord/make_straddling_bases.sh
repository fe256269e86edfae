#!/bin/sh
# Writes the base firmware files of the composer tests with srec_cat (Debian package srecord),
# so the composer is tested on S-record files another tool made. Run from this folder:
#   sh make_straddling_bases.sh
# Records of 48 data bytes (-obs=48) start at each area's first address, so records cross the
# ends of bank 1 (0x388000 to 0x38BFFF) and of bank 2 (0x398000 to 0x39BFFF); srec_cat adds the
# data record count (S5) and ends the file with S8 (24-bit addresses, -address-length=3) or S7
# (32-bit addresses, -address-length=4).
set -eu
areas="-generate 0x300000 0x300060 -repeat-string below_the_banks
       -generate 0x387F00 0x388100 -repeat-string across_the_start_of_bank_1
       -generate 0x38BF00 0x38C100 -repeat-string across_the_end_of_bank_1
       -generate 0x397FF0 0x39C010 -repeat-string over_all_of_bank_2
       -generate 0x3F0000 0x3F0040 -repeat-string above_the_banks"
# shellcheck disable=SC2086
srec_cat $areas -o straddling_s2_s5_s8.sx -address-length=3 -obs=48 -enable=data-count \
  -execution-start-address=0x000400 -crlf
# shellcheck disable=SC2086
srec_cat $areas -o straddling_s3_s5_s7.sx -address-length=4 -obs=48 -enable=data-count \
  -execution-start-address=0x000400
