const unsigned char s[] = {0xF0, /* mask */
                           0x0F};
