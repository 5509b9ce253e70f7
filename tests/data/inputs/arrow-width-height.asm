; arrow for putsprite(): width, height, then the rows
arrow:
	defb	7, 5
	defb	$10
	defb	$30
	defb	$FC
	defb	$30
	defb	$10
