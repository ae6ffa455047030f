# A corpus as psql input for a server of version `major` (awk -v major=N):
# a line "--;" ends a statement, "--@ N" starts a part that needs version N,
# comment lines before a statement are left out.
/^--@ / { if (text != "" && major >= need) print text ";"; text = ""; need = $2 + 0; next }
/^--;$/ { if (text != "" && major >= need) print text ";"; text = ""; next }
/^--/ && text == "" { next }
{ text = text $0 "\n" }
END { if (text != "" && major >= need) print text ";" }
