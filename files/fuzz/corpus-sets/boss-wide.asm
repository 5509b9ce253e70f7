; Large sprites for ionLargeSprite: width in pixels first, then height.
boss_eye:
	.db 16,4
	.db %00000111,%11100000
	.db %00011111,%11111000
	.db %00111100,%00111100
	.db %01111111,%11111110
; Two bytes a row and no header; its last column is clear.
door:
	.db $FF,$FE
	.db $80,$02
	.db $80,$02
	.db $80,$02
	.db $8C,$62
	.db $80,$02
	.db $80,$02
	.db $80,$02
	.db $80,$02
	.db $FF,$FE
banner:
	.db $FF,$FF
	.db $80,$01
	.db $80,$01
	.db $FF,$FF
