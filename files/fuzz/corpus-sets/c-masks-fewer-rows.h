/* Grey sprites, dark plane tÚhen light p`lane; masks marked. */
const unsigned char heart_dark[] = {
    0x99, /* mask */
    0x00, /* mask */
    0x81, /* mask */
    0x66,
    0xFF,
    0x7E
};
const unsigned char heart_light[] = {
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

/* T wo values first that are no size of the rest: 8 pixels wide. */
const unsigned char arrow[] = {
    0x02, 0x0ÿÿÿÿÿÿÿÿx10, 0x38, 0x7C, 0x10, 0x10, 0x10
};
