#!/usr/bin/env python3
"""Writes the list and toolbar pictures to src/ui/resources/images/.

Every picture is drawn on a 16-unit grid with 1-unit outlines on half units,
so it is crisp at 16 px and doubles cleanly to 32 px. One palette for all:
each colour is a light top, a darker bottom and a darker outline.

Run it after changing a picture: python3 tools/make_pictures.py
"""

import math
import os

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "..", "src", "ui", "resources", "images")

# name: (light, dark, outline)
PALETTE = {
    "page": ("#ffffff", "#e2e8ee", "#4e5c6a"),
    "red": ("#f0675c", "#c62f25", "#7c1b15"),
    "blue": ("#6aa6ec", "#2f68bf", "#1c3f78"),
    "green": ("#6cc874", "#2f8f3c", "#1c5a25"),
    "yellow": ("#ffe27a", "#f0b81c", "#8a6706"),
    "grey": ("#c4cbd2", "#8d969f", "#555e67"),
    "gold": ("#ffd966", "#dc9a10", "#7a5406"),
    "folder": ("#fbdc8c", "#e6ac3c", "#8a6416"),
    "violet": ("#8f78d8", "#5a3fa8", "#33226a"),
    "sky": ("#bfe0ff", "#79b4ea", "#2f5f8f"),
    "grass": ("#8fd06a", "#4f9a33", "#2d5e1c"),
}
LINE = "#8d9cab"
GLYPH_DARK = "#4d3b04"


def gradient(gid, colour):
    light, dark, _ = PALETTE[colour]
    return (f'<linearGradient id="{gid}" x1="0" y1="0" x2="0" y2="1">'
            f'<stop offset="0" stop-color="{light}"/><stop offset="1" stop-color="{dark}"/>'
            f'</linearGradient>')


def outline(colour):
    return PALETTE[colour][2]


def svg(body, gradients):
    defs = "".join(gradient(gid, colour) for gid, colour in gradients)
    return ('<svg xmlns="http://www.w3.org/2000/svg" width="16" height="16" viewBox="0 0 16 16">'
            f'<defs>{defs}</defs>{body}</svg>\n')


# --- shared shapes ---------------------------------------------------------

def page(lines=0, dimmed=False):
    ink = outline("page")
    dash = ' stroke-dasharray="1.5 1"' if dimmed else ""
    opacity = ' opacity="0.55"' if dimmed else ""
    body = (f'<g{opacity}><path d="M2.5 0.5 H9.5 L13.5 4.5 V15.5 H2.5 Z" fill="url(#page)" '
            f'stroke="{ink}" stroke-linejoin="round"{dash}/>'
            f'<path d="M9.5 0.5 V4.5 H13.5" fill="#d5dde5" stroke="{ink}" '
            f'stroke-linejoin="round"{dash}/>')
    for n in range(lines):
        y = 6.5 + 2 * n
        right = 11 if n % 2 == 0 else 9
        body += f'<path d="M4.5 {y} H{right}" stroke="{LINE}"/>'
    return body + "</g>"


def badge(colour, glyph):
    """A round mark at the bottom right; the colour is the file's marking."""
    return (f'<circle cx="11.5" cy="11.5" r="4.5" fill="url(#{colour})" '
            f'stroke="{outline(colour)}"/>' + glyph)


def white(d, width=1.5):
    return (f'<path d="{d}" fill="none" stroke="#ffffff" stroke-width="{width}" '
            'stroke-linecap="round" stroke-linejoin="round"/>')


# Signs inside the mark, centred on the middle of pixel (11, 11) and kept
# bold: at 16 px the mark is only ten pixels across.
TICK = white("M9.2 11.6 L10.8 13.2 L13.9 10", 1.7)
PENCIL = ('<path d="M8.9 14.1 L9.4 12.1 L12.6 8.9 L14.1 10.4 L10.9 13.6 Z" fill="#ffffff"/>'
          f'<path d="M8.9 14.1 L9.4 12.1 L10.9 13.6 Z" fill="{outline("green")}"/>')
LOCK = (f'<path d="M10.5 11 V9.5 H12.5 V11" fill="none" stroke="{GLYPH_DARK}"/>'
        f'<rect x="9" y="11" width="5" height="3" fill="{GLYPH_DARK}"/>')
DOWN = ('<path d="M11 8.5 H12 V11 H14 L11.5 14 L9 11 H11 Z" fill="#ffffff"/>')
UP = ('<path d="M11 14.5 H12 V12 H14 L11.5 9 L9 12 H11 Z" fill="#ffffff"/>')
CROSS = white("M9.8 9.8 L13.2 13.2 M13.2 9.8 L9.8 13.2", 1.7)
PLUS = ('<path d="M11 8.5 H12 V11 H14.5 V12 H12 V14.5 H11 V12 H8.5 V11 H11 Z" '
        'fill="#ffffff"/>')
STAR = ('<path d="M11.5 7.9 L12.45 10.2 L14.9 10.4 L13.05 12 L13.6 14.4 L11.5 13.1 '
        'L9.4 14.4 L9.95 12 L8.1 10.4 L10.55 10.2 Z" fill="#ffffff"/>')


def state(colour, glyph):
    return svg(page(lines=3) + badge(colour, glyph), [("page", "page"), (colour, colour)])


def page_with_badge(colour, glyph, lines=3):
    return state(colour, glyph) if lines == 3 else svg(
        page(lines=lines) + badge(colour, glyph), [("page", "page"), (colour, colour)])


def folder(open_=False):
    ink = outline("folder")
    back = (f'<path d="M0.5 3.5 V13.5 H14.5 V4.5 H7.5 L6 2.5 H1.5 Z" fill="url(#folder)" '
            f'stroke="{ink}" stroke-linejoin="round"/>')
    if not open_:
        front = (f'<path d="M0.5 6.5 H14.5" stroke="{ink}" stroke-opacity="0.45"/>'
                 f'<path d="M1.5 5.5 H13.5" stroke="#ffffff" stroke-opacity="0.6"/>')
        return svg(back + front, [("folder", "folder")])
    sheet = (f'<path d="M2.5 12 V2.5 H11.5 V12" fill="#ffffff" stroke="{outline("page")}"/>')
    front = (f'<path d="M0.5 13.5 L2.5 7.5 H15.5 L13.5 13.5 Z" fill="url(#folderfront)" '
             f'stroke="{ink}" stroke-linejoin="round"/>')
    return svg(back + sheet + front, [("folder", "folder"), ("folderfront", "folder")])


def person(colour, crown=False):
    ink = outline(colour)
    body = (f'<path d="M2.5 15.5 V13 C2.5 10.4 4.8 8.8 8 8.8 C11.2 8.8 13.5 10.4 13.5 13 V15.5 Z" '
            f'fill="url(#{colour})" stroke="{ink}" stroke-linejoin="round"/>'
            f'<circle cx="8" cy="5.5" r="3" fill="url(#{colour})" stroke="{ink}"/>'
            '<path d="M6.6 4.6 A1.6 1.6 0 0 1 8.4 3.6" fill="none" stroke="#ffffff" '
            'stroke-opacity="0.7" stroke-linecap="round"/>')
    if crown:
        body = body.replace('cy="5.5"', 'cy="6.5"').replace(
            'M6.6 4.6 A1.6 1.6 0 0 1 8.4 3.6', 'M6.6 5.6 A1.6 1.6 0 0 1 8.4 4.6')
        body += (f'<path d="M4.5 3.5 L4.5 0.5 L6.3 2 L8 0.5 L9.7 2 L11.5 0.5 V3.5 Z" '
                 f'fill="url(#gold)" stroke="{outline("gold")}" stroke-linejoin="round"/>')
    return body


def turning_arrow(start, end, centre=8, radius=4.8):
    """A blue arc turning clockwise from angle start to end (degrees, counted
    anticlockwise from three o'clock) with its head at the end."""
    def at(angle, r=radius):
        a = math.radians(angle)
        return centre + r * math.cos(a), centre - r * math.sin(a)
    x0, y0 = at(start)
    x1, y1 = at(end + 8)
    a = math.radians(end)
    tangent = (math.sin(a), math.cos(a))  # clockwise on screen
    tip = (at(end)[0] + 3.2 * tangent[0], at(end)[1] + 3.2 * tangent[1])
    outer, inner = at(end, radius + 2.8), at(end, radius - 2.8)
    ink = outline("blue")
    return (f'<path d="M{x0:.2f} {y0:.2f} A{radius} {radius} 0 0 1 {x1:.2f} {y1:.2f}" '
            f'fill="none" stroke="{ink}" stroke-width="2.8" stroke-linecap="round"/>'
            f'<path d="M{x0:.2f} {y0:.2f} A{radius} {radius} 0 0 1 {x1:.2f} {y1:.2f}" '
            f'fill="none" stroke="url(#blue)" stroke-width="1.2" stroke-linecap="round"/>'
            f'<path d="M{outer[0]:.2f} {outer[1]:.2f} L{tip[0]:.2f} {tip[1]:.2f} '
            f'L{inner[0]:.2f} {inner[1]:.2f} Z" fill="url(#blue)" stroke="{ink}" '
            'stroke-width="0.8" stroke-linejoin="round"/>')


# --- the pictures -------------------------------------------------------------

def pictures():
    p = {}
    # states of a shared file, each with its marking colour and its own sign
    p["state-open"] = state("green", PENCIL)
    p["state-unlocked"] = state("blue", TICK)
    p["state-locked"] = state("yellow", LOCK)
    p["state-old"] = state("red", DOWN)
    p["state-new"] = state("red", STAR)

    # file types
    p["type-txt"] = svg(page(lines=5), [("page", "page")])
    blue_ink = outline("blue")
    doc = page().replace("</g>", "")
    doc += (f'<rect x="3" y="1" width="6" height="3" fill="url(#blue)"/>'
            f'<path d="M3.5 2.5 H8" stroke="#ffffff" stroke-opacity="0.8"/>')
    for n, right in enumerate((11.5, 11.5, 11.5, 8.5)):
        doc += f'<path d="M4.5 {6.5 + 2 * n} H{right}" stroke="{blue_ink}" stroke-opacity="0.75"/>'
    p["type-doc"] = svg(doc + "</g>", [("page", "page"), ("blue", "blue")])

    p["type-gif"] = svg(
        f'<rect x="0.5" y="2.5" width="15" height="11" rx="1" fill="url(#sky)" '
        f'stroke="{outline("sky")}"/>'
        f'<circle cx="11.5" cy="5.8" r="1.6" fill="url(#gold)" stroke="{outline("gold")}" '
        'stroke-width="0.6"/>'
        f'<path d="M1 13 L5.5 7 L8.5 10.5 L10.5 8.5 L15 13 Z" fill="url(#grass)" '
        f'stroke="{outline("grass")}" stroke-width="0.8" stroke-linejoin="round"/>',
        [("sky", "sky"), ("gold", "gold"), ("grass", "grass")])

    v = outline("violet")
    p["type-mid"] = svg(
        f'<path d="M5.5 12 V3.5 L14.5 1.5 V10" fill="none" stroke="{v}" stroke-width="1.4" '
        'stroke-linejoin="round"/>'
        f'<path d="M5.5 3.5 L14.5 1.5 V4 L5.5 6 Z" fill="{v}"/>'
        f'<ellipse cx="3.6" cy="12.6" rx="2.4" ry="1.9" fill="url(#violet)" stroke="{v}"/>'
        f'<ellipse cx="12.6" cy="10.6" rx="2.4" ry="1.9" fill="url(#violet)" stroke="{v}"/>',
        [("violet", "violet")])

    g = outline("grey")
    b = outline("blue")
    p["type-wav"] = svg(
        f'<path d="M1.5 5.5 H4.5 L8.5 2 V14 L4.5 10.5 H1.5 Z" fill="url(#grey)" stroke="{g}" '
        'stroke-linejoin="round"/>'
        f'<path d="M10.5 5.8 A2.6 2.6 0 0 1 10.5 10.2" fill="none" stroke="{b}" '
        'stroke-width="1.3" stroke-linecap="round"/>'
        f'<path d="M12.2 3.5 A5 5 0 0 1 12.2 12.5" fill="none" stroke="{b}" '
        'stroke-width="1.3" stroke-linecap="round"/>',
        [("grey", "grey")])

    # a game level map: grass tiles, a pond, a path and a goal flag
    gr = outline("grass")
    p["type-graal"] = svg(
        f'<rect x="0.5" y="0.5" width="15" height="15" rx="1.5" fill="url(#grass)" stroke="{gr}"/>'
        '<path d="M1 5.5 H15 M1 10.5 H15 M5.5 1 V15 M10.5 1 V15" '
        f'stroke="{gr}" stroke-opacity="0.3"/>'
        f'<ellipse cx="11.5" cy="11.5" rx="2.5" ry="2" fill="url(#sky)" stroke="{outline("sky")}"/>'
        '<path d="M2.5 13.5 V8 H7.5 V3.5 H11" fill="none" stroke="#d9b77a" stroke-width="2" '
        'stroke-linejoin="round"/>'
        f'<path d="M12.5 6.5 V1.5" stroke="{outline("page")}"/>'
        f'<path d="M13 1.5 H15 V4 H13 Z" fill="url(#red)" stroke="{outline("red")}" '
        'stroke-width="0.6"/>',
        [("grass", "grass"), ("sky", "sky"), ("red", "red")])

    # toolbar
    p["folder"] = folder()
    p["folder-open"] = folder(open_=True)
    p["add"] = page_with_badge("green", PLUS)
    p["refresh"] = svg(turning_arrow(205, 75) + turning_arrow(25, 255), [("blue", "blue")])
    g = outline("grey")
    p["options"] = svg(
        f'<circle cx="8" cy="8" r="5.6" fill="none" stroke="{g}" stroke-width="3.2" '
        'stroke-dasharray="2.2 2.2"/>'
        f'<circle cx="8" cy="8" r="5" fill="url(#grey)" stroke="{g}"/>'
        f'<circle cx="8" cy="8" r="2" fill="#ffffff" stroke="{g}"/>',
        [("grey", "grey")])
    r = outline("red")
    p["delete"] = svg(
        f'<path d="M3 3 L13 13 M13 3 L3 13" stroke="{r}" stroke-width="4.2" '
        'stroke-linecap="round"/>'
        '<path d="M3 3 L13 13 M13 3 L3 13" stroke="url(#red)" stroke-width="2.4" '
        'stroke-linecap="round"/>',
        [("red", "red")])

    # members by access level
    p["user-level1"] = svg(
        f'<circle cx="8" cy="8" r="7.5" fill="url(#red)" stroke="{outline("red")}"/>'
        f'<rect x="3" y="6.5" width="10" height="3" rx="0.5" fill="#ffffff"/>',
        [("red", "red")])
    p["user-level2"] = svg(person("grey"), [("grey", "grey")])
    p["user-level3"] = svg(person("green"), [("green", "green")])
    p["user-level4"] = svg(person("gold", crown=True), [("gold", "gold")])

    # explorer files
    p["file"] = svg(page(), [("page", "page")])
    p["file-notfound"] = svg(
        page(dimmed=True) + f'<path d="M1.5 14.5 L14.5 1.5" stroke="{outline("grey")}" '
        'stroke-width="1.2" stroke-linecap="round"/>',
        [("page", "page")])
    p["file-upload"] = page_with_badge("green", UP, lines=0)
    p["file-download"] = page_with_badge("blue", DOWN, lines=0)
    p["file-delete"] = page_with_badge("red", CROSS, lines=0)

    # explorer buttons
    p["file-edit"] = page_with_badge("gold", PENCIL)
    p["file-editwith"] = page_with_badge("violet", PENCIL)
    p["file-new"] = page_with_badge("green", STAR, lines=0)
    p["file-replace"] = svg(page(lines=3) + turning_arrow(205, 75, centre=10.5, radius=3.2),
                            [("page", "page"), ("blue", "blue")])
    p["file-deleteserver"] = page_with_badge("red", CROSS)
    s = outline("sky")
    p["select-all"] = svg(
        f'<rect x="0.5" y="0.5" width="15" height="15" fill="url(#sky)" fill-opacity="0.45" '
        f'stroke="{s}" stroke-dasharray="1.5 1"/>'
        + "".join(f'<path d="M3 {y} H5 M6.5 {y} H13" stroke="{outline("blue")}" '
                  'stroke-width="1.4"/>' for y in (4, 8, 12)),
        [("sky", "sky")])
    p["preview"] = svg(
        f'<rect x="0.5" y="1.5" width="15" height="13" rx="1" fill="#ffffff" stroke="{s}"/>'
        f'<path d="M0.5 2.5 A1 1 0 0 1 1.5 1.5 H14.5 A1 1 0 0 1 15.5 2.5 V4.5 H0.5 Z" '
        f'fill="url(#sky)" stroke="{s}"/>'
        f'<rect x="2.5" y="6.5" width="5" height="6" fill="url(#grass)" stroke="{outline("grass")}" '
        'stroke-width="0.8"/>'
        f'<path d="M9.5 7.5 H13.5 M9.5 9.5 H13.5 M9.5 11.5 H12" stroke="{LINE}"/>',
        [("sky", "sky"), ("grass", "grass")])
    return p


def main():
    os.makedirs(OUT, exist_ok=True)
    for name, text in pictures().items():
        with open(os.path.join(OUT, name + ".svg"), "w", encoding="utf-8") as f:
            f.write(text)


if __name__ == "__main__":
    main()
