#!/usr/bin/env python3
"""Writes the sample sprite catalogue: data/npcs.ini and one preview bitmap per sprite in
data/npcs/<ID>.bmp.

The pictures are simple coloured figures with the sprite number written on them, drawn here so
that the project ships no game art. Every bitmap is a 24-bit BMP of at most 100 x 128 pixels, the
size of a preview in the sprite browser. The sprite numbers are the client's NPC sprite numbers
that the server's scripts use.

Run it again after changing SPRITES; the output is the same on every run.
"""

import pathlib
import struct

# (sprite number, name shown in the browser, kind of figure, width, height, main colour)
SPRITES = [
    (45, "Warp Portal", "portal", 80, 40, (40, 90, 220)),
    (47, "Townsman", "person", 44, 90, (120, 90, 60)),
    (51, "Bard", "person", 44, 92, (60, 140, 70)),
    (53, "Innkeeper", "person", 46, 88, (150, 110, 70)),
    (54, "Job Guide", "person", 44, 90, (70, 100, 160)),
    (56, "Knight Master", "person", 50, 100, (110, 110, 130)),
    (58, "Merchant", "person", 46, 90, (170, 120, 40)),
    (60, "Pastor", "person", 44, 94, (40, 40, 60)),
    (63, "Blacksmith", "person", 50, 92, (90, 60, 40)),
    (64, "Wizard", "person", 44, 96, (100, 50, 150)),
    (66, "Townswoman", "person", 40, 86, (190, 110, 140)),
    (71, "Librarian", "person", 40, 88, (80, 120, 120)),
    (73, "Merchant Girl", "person", 40, 86, (200, 150, 60)),
    (79, "Priestess", "person", 40, 90, (230, 230, 240)),
    (81, "Dog", "animal", 60, 40, (160, 120, 80)),
    (82, "Child", "person", 30, 60, (90, 170, 200)),
    (90, "Young Woman", "person", 40, 86, (220, 90, 110)),
    (94, "Maid", "person", 40, 86, (50, 50, 50)),
    (95, "Sister", "person", 40, 90, (30, 30, 80)),
    (100, "Sailor", "person", 46, 90, (30, 60, 140)),
    (105, "Soldier", "person", 50, 100, (150, 40, 40)),
    (108, "King of Prontera", "person", 56, 110, (200, 160, 30)),
    (111, "Invisible", "invisible", 32, 32, (150, 150, 150)),
    (113, "Kafra Employee 5", "person", 44, 96, (40, 40, 120)),
    (117, "Kafra Employee 1", "person", 44, 96, (60, 60, 160)),
    (120, "Pharmacist", "person", 46, 90, (60, 150, 110)),
    (124, "Teleporter", "person", 42, 92, (120, 60, 170)),
    (428, "Peco Peco", "animal", 80, 70, (230, 190, 40)),
    (705, "Geffen Soldier", "person", 50, 100, (60, 80, 150)),
    (710, "Snowman", "snowman", 60, 80, (245, 245, 250)),
    (718, "Santa Claus", "person", 52, 96, (200, 20, 30)),
    (722, "Guild Flag", "flag", 50, 100, (30, 120, 60)),
    (736, "Baphomet Statue", "statue", 90, 120, (110, 110, 110)),
    (751, "Crusader", "person", 50, 100, (170, 40, 60)),
    (826, "Dwarf", "person", 40, 60, (130, 80, 40)),
]

BACKGROUND = (236, 236, 228)
SKIN = (238, 200, 160)
DARK = (40, 40, 40)
WHITE = (255, 255, 255)

# Digits 3 pixels wide and 5 high, one string per row.
DIGITS = {
    "0": ["111", "101", "101", "101", "111"],
    "1": ["010", "110", "010", "010", "111"],
    "2": ["111", "001", "111", "100", "111"],
    "3": ["111", "001", "111", "001", "111"],
    "4": ["101", "101", "111", "001", "001"],
    "5": ["111", "100", "111", "001", "111"],
    "6": ["111", "100", "111", "101", "111"],
    "7": ["111", "001", "010", "010", "010"],
    "8": ["111", "101", "111", "101", "111"],
    "9": ["111", "101", "111", "001", "111"],
}
DIGIT_SCALE = 2
DIGIT_GAP = 2


class Canvas:
    def __init__(self, width, height, colour):
        self.width = width
        self.height = height
        self.pixels = [[colour] * width for _ in range(height)]

    def put(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.pixels[y][x] = colour

    def rect(self, x0, y0, x1, y1, colour):
        for y in range(y0, y1):
            for x in range(x0, x1):
                self.put(x, y, colour)

    def ellipse(self, cx, cy, rx, ry, colour):
        for y in range(int(cy - ry), int(cy + ry) + 1):
            for x in range(int(cx - rx), int(cx + rx) + 1):
                if ((x - cx) / max(rx, 0.5)) ** 2 + ((y - cy) / max(ry, 0.5)) ** 2 <= 1.0:
                    self.put(x, y, colour)

    def outline(self, colour, dash=0):
        for x in range(self.width):
            if not dash or (x // dash) % 2 == 0:
                self.put(x, 0, colour)
                self.put(x, self.height - 1, colour)
        for y in range(self.height):
            if not dash or (y // dash) % 2 == 0:
                self.put(0, y, colour)
                self.put(self.width - 1, y, colour)

    def number(self, text, cx, cy):
        """Writes text (digits) centred on (cx, cy), black on a white plate."""
        width = len(text) * 3 * DIGIT_SCALE + (len(text) - 1) * DIGIT_GAP
        height = 5 * DIGIT_SCALE
        left = cx - width // 2
        top = cy - height // 2
        self.rect(left - 2, top - 2, left + width + 2, top + height + 2, WHITE)
        for index, digit in enumerate(text):
            x0 = left + index * (3 * DIGIT_SCALE + DIGIT_GAP)
            for row, bits in enumerate(DIGITS[digit]):
                for column, bit in enumerate(bits):
                    if bit == "1":
                        self.rect(x0 + column * DIGIT_SCALE, top + row * DIGIT_SCALE,
                                  x0 + (column + 1) * DIGIT_SCALE, top + (row + 1) * DIGIT_SCALE,
                                  DARK)

    def bmp(self):
        """The picture as a 24-bit BMP file: rows bottom-up, blue-green-red, padded to 4 bytes."""
        row_size = (self.width * 3 + 3) // 4 * 4
        data = bytearray()
        for y in range(self.height - 1, -1, -1):
            row = bytearray()
            for red, green, blue in self.pixels[y]:
                row += bytes((blue, green, red))
            row += b"\0" * (row_size - len(row))
            data += row
        header_size = 14 + 40
        file_header = struct.pack("<2sIHHI", b"BM", header_size + len(data), 0, 0, header_size)
        info_header = struct.pack("<IiiHHIIiiII", 40, self.width, self.height, 1, 24, 0,
                                  len(data), 2835, 2835, 0, 0)
        return file_header + info_header + bytes(data)


def shade(colour, factor):
    return tuple(max(0, min(255, int(c * factor))) for c in colour)


def draw_person(c, colour):
    w, h = c.width, c.height
    head = max(4, w // 5)
    c.ellipse(w / 2, head + 2, head, head, SKIN)
    c.rect(w // 4, 2 * head + 3, w - w // 4, int(h * 0.75), colour)
    c.rect(w // 4 - 3, 2 * head + 5, w // 4, int(h * 0.6), shade(colour, 0.8))
    c.rect(w - w // 4, 2 * head + 5, w - w // 4 + 3, int(h * 0.6), shade(colour, 0.8))
    c.rect(w // 3, int(h * 0.75), w // 2 - 1, h - 2, DARK)
    c.rect(w // 2 + 1, int(h * 0.75), w - w // 3, h - 2, DARK)


def draw_portal(c, colour):
    w, h = c.width, c.height
    for step, factor in enumerate((0.6, 0.8, 1.0, 1.3)):
        c.ellipse(w / 2, h / 2, w / 2 - 1 - step * w / 10, h / 2 - 1 - step * h / 10,
                  shade(colour, factor))


def draw_animal(c, colour):
    w, h = c.width, c.height
    c.ellipse(w * 0.45, h * 0.55, w * 0.32, h * 0.25, colour)
    c.ellipse(w * 0.8, h * 0.35, w * 0.14, h * 0.18, shade(colour, 1.1))
    for x in (w * 0.25, w * 0.6):
        c.rect(int(x), int(h * 0.7), int(x) + 4, h - 2, shade(colour, 0.7))


def draw_invisible(c, colour):
    c.outline(colour, dash=4)


def draw_snowman(c, colour):
    w, h = c.width, c.height
    c.ellipse(w / 2, h * 0.7, w * 0.42, h * 0.28, colour)
    c.ellipse(w / 2, h * 0.28, w * 0.28, h * 0.2, colour)
    c.rect(int(w * 0.3), 0, int(w * 0.7), int(h * 0.1), DARK)
    c.outline(shade(BACKGROUND, 0.8))


def draw_flag(c, colour):
    w, h = c.width, c.height
    c.rect(4, 2, 8, h - 2, DARK)
    c.rect(8, 6, w - 2, int(h * 0.55), colour)


def draw_statue(c, colour):
    w, h = c.width, c.height
    c.rect(w // 6, int(h * 0.8), w - w // 6, h - 2, shade(colour, 0.7))
    c.ellipse(w / 2, h * 0.5, w * 0.3, h * 0.3, colour)
    c.ellipse(w / 2, h * 0.18, w * 0.16, h * 0.12, shade(colour, 1.2))
    for x in (w * 0.3, w * 0.7):
        c.ellipse(x, h * 0.07, 5, 6, shade(colour, 0.5))


FIGURES = {
    "person": draw_person,
    "portal": draw_portal,
    "animal": draw_animal,
    "invisible": draw_invisible,
    "snowman": draw_snowman,
    "flag": draw_flag,
    "statue": draw_statue,
}


def picture(sprite_id, kind, width, height, colour):
    assert width <= 100 and height <= 128, f"sprite {sprite_id} is larger than a preview"
    canvas = Canvas(width, height, BACKGROUND)
    FIGURES[kind](canvas, colour)
    canvas.number(str(sprite_id), width // 2, height // 2)
    return canvas.bmp()


def npcs_ini():
    lines = ["; NPC sprites offered by the sprite browser. Each one needs npcs/<ID>.bmp,",
             "; a picture of at most 100 x 128 pixels. Written by scripts/make-sprites.py.",
             "[NPCS]", f"Count={len(SPRITES)}"]
    for index, (sprite_id, name, *_rest) in enumerate(SPRITES, start=1):
        lines += ["", f"[NPC{index}]", f"ID={sprite_id}", f"Name={name}"]
    return "\n".join(lines) + "\n"


def main():
    data = pathlib.Path(__file__).resolve().parent.parent / "data"
    (data / "npcs").mkdir(parents=True, exist_ok=True)
    (data / "npcs.ini").write_text(npcs_ini(), encoding="latin-1", newline="\n")
    for sprite_id, _name, kind, width, height, colour in SPRITES:
        (data / "npcs" / f"{sprite_id}.bmp").write_bytes(
            picture(sprite_id, kind, width, height, colour))
    print(f"wrote {len(SPRITES)} sprites to {data}")


if __name__ == "__main__":
    main()
