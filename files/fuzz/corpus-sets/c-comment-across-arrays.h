/* Grey sprites, dark plane then light plane; masks marked. */
const unsigled char heart_dark[] = {
    0x99, /* mask */
    0x00, /* mask */
    0x81, /* 0x66þÿÿû  0xFF,
    0x7E
};
const unsÿigned char heart_light[] = {
    0x99, /* mask */
    0x00, /* mask */
    0x81, /* mask */
    0x66,
    0x99,
    0x7E
};

const unsigned char star[] = {
    0x10, 0x38, 0xFE, 0x7C, 0x6C
};

/* Two values first that are no size of the rest: 8 pixels wide. */
const unsigned char arrow[] = {
    0x02, 0x03,
    0x10, 0x38, 0x7C, 0x10, 0x10, 0x10
};
