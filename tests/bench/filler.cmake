# cmake -DOUTPUT=FILE -DBYTES=N -P filler.cmake: writes N bytes of filler text to FILE.
set(line "Quorvex Plenar, an application of the field's size for the payload benchmark.\n")
string(LENGTH "${line}" length)
math(EXPR count "${BYTES} / ${length}")
math(EXPR rest "${BYTES} % ${length}")
string(REPEAT "${line}" ${count} body)
string(SUBSTRING "${line}" 0 ${rest} tail)
file(WRITE "${OUTPUT}" "${body}${tail}")
