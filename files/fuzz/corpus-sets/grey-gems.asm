; Four-level grey: a dark and a light plane each, and their sizes.
ruby_HEIGHT .equ 4
ruby_WIDTH .equ 1
ruby_dark:
	.db $3C
	.db $7E
	.db $7E
	.db $3C
ruby_light:
	.db $00
	.db $3C
	.db $24
	.db $00
emerald_HEIGHT .equ 3
emerald_WIDTH .equ 1
emerald_dark:
	.db $18
	.db $24
	.db $18
emerald_light:
	.db $18
	.db $3C
	.db $18
