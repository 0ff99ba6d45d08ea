# Draws the application icon: a blue rounded square with a white "Z", kept in
# 32-bit colour so the soft edges and the transparent corners survive.
# Called with -DCONVERT=... -DICOTOOL=... -DPNG=... -DICO=...
execute_process(
  COMMAND "${CONVERT}" -size 128x128 xc:none
          -fill "#1d4e89" -draw "roundrectangle 4,4 123,123 22,22"
          -fill white -draw "polygon 34,30 94,30 94,46 56,82 94,82 94,98 34,98 34,82 72,46 34,46"
          "PNG32:${PNG}"
  COMMAND_ERROR_IS_FATAL ANY)
execute_process(
  COMMAND "${ICOTOOL}" --create --output=${ICO} "${PNG}"
  COMMAND_ERROR_IS_FATAL ANY)
