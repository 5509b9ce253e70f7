; Masked sprites: the mask is ANDed, then the sprite ORed.
player:
	.db %11000011 ; mask
	.db %10000001 ; mask
	.db %00000000 ; mask
	.db %10000001 ; mask
	.db %00111100
	.db %01000010
	.db %01011010
	.db %00111100
; Interleaved, as the fastest routines read them.
coin:
	.db %11100111 ; mask
	.db %00011000
	.db %11000011 ; mask
	.db %00100100
	.db %11000011 ; mask
	.db %00100100
	.db %11100111 ; mask
	.db %00011000
; An OR mask after the rows: set where the sprite is drawn.
gem:
	.db %00010000
	.db %00101000
	.db %00010000
	.db %00111000 ; mask
	.db %01111100 ; mask
	.db %00111000 ; mask
