#!/usr/bin/python3
"""Draws the program's pictures into this folder: the application icon, the status lights, the
logo and brand pictures, the info picture, the account dialog's busy animation and the pop-up's
close picture. Run it by hand after a change (Debian: python3-pil and fonts-dejavu-core); the
resource script takes the files as they are committed."""
from pathlib import Path

from PIL import Image, ImageDraw, ImageFont

HERE = Path(__file__).resolve().parent
SCALE = 4  # drawn this many times larger, then reduced: smooth edges
WHITE = (255, 255, 255)
BLUE = (31, 100, 170)
DARK_BLUE = (17, 58, 110)
LIGHT_BLUE = (92, 160, 222)
FONT_BOLD = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"
FONT = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"


def canvas(width, height, background):
    picture = Image.new("RGBA", (width * SCALE, height * SCALE), background)
    return picture, ImageDraw.Draw(picture)


def reduced(picture, width, height):
    return picture.resize((width, height), Image.LANCZOS)


def globe(draw, cx, cy, radius, line):
    """A globe: a filled disc with its equator, two parallels and two meridians."""
    s = SCALE
    box = [cx - radius, cy - radius, cx + radius, cy + radius]
    draw.ellipse([v * s for v in box], fill=BLUE, outline=WHITE, width=max(1, int(line * s)))
    w = max(1, int(line * s * 0.7))
    draw.line([(cx - radius) * s, cy * s, (cx + radius) * s, cy * s], fill=WHITE, width=w)
    for k in (-0.5, 0.5):
        y = cy + k * radius
        half = (radius ** 2 - (k * radius) ** 2) ** 0.5
        draw.line([(cx - half) * s, y * s, (cx + half) * s, y * s], fill=WHITE, width=w)
    draw.line([cx * s, (cy - radius) * s, cx * s, (cy + radius) * s], fill=WHITE, width=w)
    inner = [cx - radius * 0.5, cy - radius, cx + radius * 0.5, cy + radius]
    draw.ellipse([v * s for v in inner], outline=WHITE, width=w)


def arrow(draw, cx, cy, size, colour):
    """An upward arrow: the address that is sent up to the provider."""
    s = SCALE
    head = [(cx, cy - size), (cx + size * 0.8, cy - size * 0.1), (cx - size * 0.8, cy - size * 0.1)]
    draw.polygon([(x * s, y * s) for x, y in head], fill=colour)
    stem = [cx - size * 0.32, cy - size * 0.15, cx + size * 0.32, cy + size * 0.9]
    draw.rectangle([v * s for v in stem], fill=colour)


def application_icon():
    frames = []
    for size in (16, 24, 32, 48):
        picture, draw = canvas(size, size, (0, 0, 0, 0))
        r = size / 2 - 0.5
        globe(draw, size / 2, size / 2, r, max(1.0, size / 24))
        arrow(draw, size * 0.72, size * 0.62, size * 0.26, (255, 176, 32))
        frames.append(reduced(picture, size, size))
    frames[-1].save(HERE / "TarvoVEK.ico", sizes=[(f.width, f.height) for f in frames],
                    append_images=frames[:-1], bitmap_format="bmp")


def lights():
    """Three 24 x 24 lights in a row, on white: pale grey (neutral), green (good), red (fault)."""
    colours = [((214, 214, 214), (160, 160, 160)), ((58, 176, 68), (30, 120, 40)),
               ((220, 52, 44), (150, 28, 24))]
    strip = Image.new("RGB", (72, 24), WHITE)
    for index, (fill, rim) in enumerate(colours):
        picture, draw = canvas(24, 24, WHITE + (255,))
        s = SCALE
        draw.ellipse([3 * s, 3 * s, 21 * s, 21 * s], fill=rim)
        draw.ellipse([4 * s, 4 * s, 20 * s, 20 * s], fill=fill)
        shine = tuple(min(255, c + 90) for c in fill)
        draw.ellipse([7 * s, 6 * s, 14 * s, 11 * s], fill=shine)
        strip.paste(reduced(picture, 24, 24).convert("RGB"), (index * 24, 0))
    strip.save(HERE / "Lights.bmp")


def panel(width, height, name, subtitle, file_name):
    """The logo of the main window and the brand picture of the account dialog."""
    picture, draw = canvas(width, height, DARK_BLUE + (255,))
    s = SCALE
    for y in range(height * s):
        t = y / (height * s)
        colour = tuple(int(a + (b - a) * t) for a, b in zip(LIGHT_BLUE, DARK_BLUE))
        draw.line([0, y, width * s, y], fill=colour)
    cx = width / 2
    globe(draw, cx, height * 0.36, min(width, height) * 0.24, 1.6)
    arrow(draw, cx + width * 0.17, height * 0.45, width * 0.09, (255, 176, 32))
    title = ImageFont.truetype(FONT_BOLD, 17 * s)
    small = ImageFont.truetype(FONT, 9 * s)
    draw.text((cx * s, height * 0.70 * s), name, font=title, fill=WHITE, anchor="mm")
    draw.text((cx * s, height * 0.83 * s), subtitle, font=small, fill=(220, 232, 245), anchor="mm")
    reduced(picture, width, height).convert("RGB").save(HERE / file_name)


def info():
    picture, draw = canvas(14, 14, WHITE + (255,))
    s = SCALE
    draw.ellipse([0, 0, 14 * s - 1, 14 * s - 1], fill=BLUE)
    draw.ellipse([6 * s, 2.6 * s, 8 * s, 4.6 * s], fill=WHITE)
    draw.rectangle([6.1 * s, 5.8 * s, 7.9 * s, 11.2 * s], fill=WHITE)
    reduced(picture, 14, 14).convert("RGB").save(HERE / "Info.bmp")


def busy():
    """The account dialog's busy animation: eight 32 x 32 frames in a row, on white, of a ring of
    eight dots whose dark head turns one step a frame, its tail fading behind it."""
    import math
    steps = 8
    strip = Image.new("RGB", (32 * steps, 32), WHITE)
    for frame in range(steps):
        picture, draw = canvas(32, 32, WHITE + (255,))
        s = SCALE
        for dot in range(steps):
            angle = 2 * math.pi * dot / steps - math.pi / 2
            cx, cy = 16 + 11 * math.cos(angle), 16 + 11 * math.sin(angle)
            age = (frame - dot) % steps  # 0: the head
            shade = min(1.0, age / (steps - 2))
            colour = tuple(int(a + (b - a) * shade) for a, b in zip(DARK_BLUE, (222, 230, 240)))
            radius = 3.4 - 0.15 * age
            draw.ellipse([(cx - radius) * s, (cy - radius) * s, (cx + radius) * s,
                          (cy + radius) * s], fill=colour)
        strip.paste(reduced(picture, 32, 32).convert("RGB"), (frame * 32, 0))
    strip.save(HERE / "Busy.bmp")


def close():
    picture, draw = canvas(10, 10, WHITE + (255,))
    s = SCALE
    grey = (110, 110, 110)
    draw.line([1.5 * s, 1.5 * s, 8.5 * s, 8.5 * s], fill=grey, width=int(1.6 * s))
    draw.line([8.5 * s, 1.5 * s, 1.5 * s, 8.5 * s], fill=grey, width=int(1.6 * s))
    reduced(picture, 10, 10).convert("RGB").save(HERE / "Close.bmp")


if __name__ == "__main__":
    application_icon()
    lights()
    panel(123, 159, "Tarvo VEK", "dynamic DNS", "Logo.bmp")
    panel(123, 131, "Tarvo VEK", "dynamic DNS", "Brand.bmp")
    info()
    busy()
    close()
