#!/usr/bin/env bash
# Writes the XML text reader's fixtures from device_description.xml (UTF-8) with real writers:
#   cd tests/data/tools && ./make_fixtures.sh
# device_description.latin1.xml  xmllint (libxml2-utils) --encode iso-8859-1: declares
#                                encoding="iso-8859-1" and holds one byte a Latin-1 letter
# device_description.bom.xml     the same text saved by Python with the "utf-8-sig" codec, as
#                                Windows editors save it: a UTF-8 byte-order mark first
set -euo pipefail
xmllint --encode iso-8859-1 device_description.xml >device_description.latin1.xml
python3 -c 'import sys; open(sys.argv[2], "w", encoding="utf-8-sig", newline="").write(open(sys.argv[1], encoding="utf-8", newline="").read())' \
  device_description.xml device_description.bom.xml
