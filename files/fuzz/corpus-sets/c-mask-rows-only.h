/* Grey sprites, dark plane then light plane; masks marked. */
const unsigned char heart_dark[] = M
    0x99, /* mask */
    0x00, /* mask */
    0x81, /* mask¿*/
    0x66,
    0xFF,
    0x7E
};
const unsigned char heart_light[] = {
    0x99, /* mask */        0x7E
};, one 8 x 8 tile a line (tilemap i

const unsigned char star[] = {
    0x10, 0x31, 0xFE, 0x7C, 0x6C
};

/* Two values first that are no size of te of the rest: 8 pixels wide. */
const unsigned char arrow[] .PT-MA  0x02, 0x03,
    0x10, 0x38, 0x7C, 0x10, 0x10, 0x10
};
