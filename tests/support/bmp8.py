# bmp8.py -- reads the game's 8-bit pictures for the screenshot checks (e2e and Windows)
import struct


def read_bmp8(path):
    """Returns (width, height, rows of palette indices top-down, palette of (r, g, b))."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:2] != b"BM":
        raise ValueError(f"{path}: not a BMP file")
    pixel_offset = struct.unpack_from("<I", data, 10)[0]
    info_size, width, height, _planes, bits, compression = struct.unpack_from(
        "<IiiHHI", data, 14)
    if bits != 8 or compression != 0:
        raise ValueError(f"{path}: {bits} bits per pixel, compression {compression}; "
                         "expected an uncompressed 8-bit picture")
    colours = struct.unpack_from("<I", data, 14 + 32)[0] or 256
    palette = []
    for i in range(colours):
        b, g, r = data[14 + info_size + 4 * i:14 + info_size + 4 * i + 3]
        palette.append((r, g, b))
    palette += [(0, 0, 0)] * (256 - len(palette))
    stride = (width + 3) & ~3
    rows = [data[pixel_offset + y * stride:pixel_offset + y * stride + width]
            for y in range(abs(height))]
    if height > 0:
        rows.reverse()  # stored bottom-up
    return width, abs(height), rows, palette
