; Castle tiles, one 8 x 8 tile a line (tilemap index order).
; Built for pasmo.

	org 9D95h

tiles:
	db $FF,$81,$81,$81,$81,$81,$81,$FF	; 0 wall
	db $00,$00,$00,$00,$00,$00,$00,$00	; 1 floor
	db $18,$3C,$7E,$FF,$18,$18,$18,$18	; 2 arrow
	db #AA,#55,#AA,#55,#AA,#55,#AA,#55	; 3 water
tiles_end:

key	db 3Ch
	db 42h
	db 81h
	db 0A5h
	db 3Ch
	db 18h
