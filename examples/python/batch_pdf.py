"""Exports every piping file of a folder to a PDF page (A4 landscape) each.
A file that fails is reported and the others go on; the exit status is 1
when any failed.

    python3 batch_pdf.py plants/ pdf/
"""

import os
import sys

import kelto3d

A4_LANDSCAPE = (841.9, 595.3)  # points


def main(folder, out_folder):
    os.makedirs(out_folder, exist_ok=True)
    failed = 0
    for name in sorted(os.listdir(folder)):
        if not name.endswith(".json"):
            continue
        out = os.path.join(out_folder, name[:-5] + ".pdf")
        try:
            kelto3d.render(os.path.join(folder, name), out, view="NorthTopLeft",
                           size=A4_LANDSCAPE)
            print("%s -> %s" % (name, out))
        except kelto3d.ComError as error:
            print("%s: %s" % (name, error.description), file=sys.stderr)
            failed += 1
    return 1 if failed else 0


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit("usage: batch_pdf.py FOLDER OUT-FOLDER")
    sys.exit(main(*sys.argv[1:]))
