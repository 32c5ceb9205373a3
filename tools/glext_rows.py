#!/usr/bin/env python3
"""Helper for editing glext/entry_points.inc: prints table rows with the published
signatures of the Khronos glext.h.

  glext_rows.py --block GL_EXT_vertex_shader      names of a block, in header order
  glext_rows.py GATE NAME...                      one VV_GL row per name, gated by GATE

The table itself is edited by hand; this only saves retyping signatures.
"""
import argparse
import re
import sys

PROTO = re.compile(r"^GLAPI\s+(.+?)\s*APIENTRY\s+(\w+)\s*\((.*)\);\s*$")


def tidy(text):
    text = re.sub(r"\s+", " ", text.strip())
    text = re.sub(r"\s*\*", "*", text)          # "const void *p" -> "const void* p"
    text = re.sub(r"\*(?=\w)", "* ", text)
    return text


def prototypes(lines):
    found = {}
    for line in lines:
        m = PROTO.match(line)
        if m:
            ret, name, params = m.groups()
            params = "" if params.strip() == "void" else tidy(params)
            found.setdefault(name, (tidy(ret), params))
    return found


def block_names(lines, block):
    names, inside = [], False
    for line in lines:
        if line.strip() == "#ifndef " + block:
            inside = True
        elif inside and line.startswith("#endif /* " + block + " "):
            break
        elif inside:
            m = PROTO.match(line)
            if m:
                names.append(m.group(2))
    return names


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--header", default="/usr/include/GL/glext.h")
    ap.add_argument("--block")
    ap.add_argument("words", nargs="*")
    args = ap.parse_args()
    with open(args.header) as f:
        lines = f.readlines()
    if args.block:
        print("\n".join(block_names(lines, args.block)))
        return 0
    gate, names = args.words[0], args.words[1:]
    protos = prototypes(lines)
    status = 0
    for name in names:
        if name not in protos:
            print("missing: " + name, file=sys.stderr)
            status = 1
            continue
        ret, params = protos[name]
        print("VV_GL(%s, %s, %s, (%s))" % (gate, ret, name, params))
    return status


if __name__ == "__main__":
    sys.exit(main())
