"""Prints "X Y", the top left corner of the dashboard's title bar in a
picture of the screen (a binary PPM): the first row with a run of at least
300 pixels of the title bar's colour, give or take the rounding of the
compositor's picture. Exit code 1 when there is none.

Usage: title_bar.py PICTURE.ppm
"""
import sys

TITLE_COLOUR = (103, 95, 137)


def rounded(value):
    """A channel to the nearest multiple of 8: the same for the colour and
    for what the compositor shows of it."""
    return min(255, (value + 4) // 8 * 8)


ROUNDING = bytes(rounded(value) for value in range(256))


def main(path):
    data = open(path, "rb").read()
    magic, width, height, depth, pixels = data.split(maxsplit=4)
    if magic != b"P6" or depth != b"255":
        sys.exit("not a binary PPM of 8-bit channels: " + path)
    width, height = int(width), int(height)
    pixels = pixels.translate(ROUNDING)
    run = bytes(rounded(value) for value in TITLE_COLOUR) * 300
    for y in range(height):
        row = pixels[y * width * 3:(y + 1) * width * 3]
        x = row.find(run)
        while x != -1 and x % 3:
            x = row.find(run, x + 1)
        if x != -1:
            print(x // 3, y)
            return 0
    return 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
