/* Sprites for the z88dk build: width and height first, then the rows. */
#ifndef SPRITES_H
#define SPRITES_H

static const unsigned char ghost[] = {
    8, 8,
    0x3c, 0x7e, 0xdb, 0xff, 0xff, 0xff, 0xdb, 0x91
};

// Twelve pixels wide: two bytes a row.
static const unsigned char cannon[] = { 12, 3,
    0x0f, 0x00,
    0xff, 0xf0, /* barrel */
    0x0f, 0x00
};

const unsigned char cursor[] = { 0x80, 0xC0, 0xE0, 0xF0, 0xC0 };

static const char *const names[] = { "ghost", "cannon" };
static const unsigned short scores[] = { 100, 250, 1000 };

#endif
