"""python -m kelto3d: quick looks at piping files from the shell."""

import argparse
import sys

from . import ComError, Dispatch, VIEWS, library_folder, render


def _size(text):
    try:
        width, height = (int(v) for v in text.lower().split("x"))
        if width > 0 and height > 0:
            return width, height
    except ValueError:
        pass
    raise argparse.ArgumentTypeError("size is WIDTHxHEIGHT, for example 800x600")


def _colour(text):
    try:
        value = int(text, 0)
    except ValueError:
        value = -1
    if not 0 <= value <= 0xFFFFFF:
        raise argparse.ArgumentTypeError("colour is 0x00BBGGRR, for example 0xFFFFFF")
    return value


def info(args, out):
    out.write("libraries: %s\n" % (library_folder() or "the loader's search path"))
    for path in args.files:
        with Dispatch("Kelto.File") as file:
            file.Load(path)
            pipelines = list(file.Pipelines)
            total = 0
            out.write("%s: %d pipelines\n" % (path, len(pipelines)))
            for pipeline in pipelines:
                count = len(pipeline.Components)
                total += count
                out.write("  %s: %d components\n" % (pipeline.Name, count))
            out.write("  total: %d components\n" % total)
    return 0


def render_command(args, out):
    render(args.files, args.output, view=args.view, size=args.size,
           representation="symbolic" if args.symbolic else "solid", background=args.background)
    out.write("wrote %s\n" % args.output)
    return 0


def parser():
    p = argparse.ArgumentParser(prog="python -m kelto3d",
                                description="Quick looks at piping files with Kelto3D.")
    commands = p.add_subparsers(dest="command", required=True)
    i = commands.add_parser("info", help="where the libraries are; pipelines and components "
                                         "of each file")
    i.add_argument("files", nargs="*", metavar="FILE", help="piping file (.json)")
    i.set_defaults(run=info)
    r = commands.add_parser("render", help="draw files into a PNG, PDF or SVG (no display needed)")
    r.add_argument("files", nargs="+", metavar="FILE", help="piping file (.json)")
    r.add_argument("-o", "--output", required=True,
                   help="picture to write: .png (size in pixels), .pdf or .svg (size in points)")
    r.add_argument("--view", default="NorthTopLeft", choices=VIEWS, metavar="VIEW",
                   help="standard view: %s (default NorthTopLeft)" % ", ".join(VIEWS))
    r.add_argument("--size", type=_size, default=(800, 600), metavar="WxH",
                   help="picture size (default 800x600)")
    r.add_argument("--symbolic", action="store_true", help="line-art symbols instead of solids")
    r.add_argument("--background", type=_colour, default=0xFFFFFF, metavar="0xBBGGRR",
                   help="background colour (default white)")
    r.set_defaults(run=render_command)
    return p


def main(argv=None, out=sys.stdout, err=sys.stderr):
    args = parser().parse_args(argv)
    try:
        return args.run(args, out)
    except ComError as error:
        err.write("python -m kelto3d %s: %s\n" % (args.command, error.description or error))
        return 1
    except (OSError, ValueError) as error:
        err.write("python -m kelto3d %s: %s\n" % (args.command, error))
        return 1


if __name__ == "__main__":
    sys.exit(main())
